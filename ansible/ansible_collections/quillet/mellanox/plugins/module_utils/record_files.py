# -*- coding: utf-8 -*-
"""Raw-data records as files, one per record, named after the record.

Shared by the module, which writes them on the node (as root), and the action
plugin, which writes them on the controller. Whether a folder may be written
into is decided by trusted_folder() alone; every file goes through it.
"""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import errno
import os
import stat

from ansible.module_utils.common.text.converters import to_bytes

# The record files hold service data: for their owner's eyes only.
RECORD_FILE_MODE = 0o600


class UntrustedFolderError(ValueError):
    """A folder that a file must not be written into, with the reason."""


def record_file_name(record):
    """The file name of a record: its name, refused when it would leave the folder."""
    name = record.get('name') if isinstance(record, dict) else None
    if not isinstance(name, str) or not name or name in ('.', '..') or '/' in name or '\0' in name:
        raise ValueError('raw data record name %r cannot be a file name' % (name,))
    return name


def trusted_folder(folder):
    """Opens folder for writing into it and returns its descriptor.

    The folder must be a real folder (not a symbolic link), owned by root or by
    this process's user, and not writable by group or others: anyone else who
    can write there could link the file names to other files. Created (0700)
    when missing. The descriptor keeps the checked folder, whatever happens to
    its path afterwards. Raises UntrustedFolderError with the reason.
    """
    if not os.path.lexists(folder):
        os.makedirs(folder, 0o700, exist_ok=True)
    try:
        fd = os.open(folder, os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW | os.O_CLOEXEC)
    except OSError as e:
        if e.errno in (errno.ELOOP, errno.ENOTDIR) and os.path.islink(folder):
            raise UntrustedFolderError('refusing to write into %s: it is a symbolic link; give the real folder' % folder)
        raise
    info = os.fstat(fd)
    problem = None
    if info.st_uid not in (0, os.geteuid()):
        problem = 'it is owned by uid %d, not by root or uid %d' % (info.st_uid, os.geteuid())
    elif info.st_mode & (stat.S_IWGRP | stat.S_IWOTH):
        problem = ('group or others may write to it (mode %04o); use a folder only its owner can write'
                   % stat.S_IMODE(info.st_mode))
    if problem:
        os.close(fd)
        raise UntrustedFolderError('refusing to write into %s: %s' % (folder, problem))
    return fd


def _holds(folder_fd, name, content):
    """True when folder/name is a regular file (not a link) holding content."""
    try:
        fd = os.open(name, os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK | os.O_CLOEXEC, dir_fd=folder_fd)
    except OSError:
        return False
    try:
        info = os.fstat(fd)
        if not stat.S_ISREG(info.st_mode) or info.st_size != len(content):
            return False
        with os.fdopen(os.dup(fd), 'rb') as f:
            return f.read(len(content) + 1) == content
    finally:
        os.close(fd)


def _create_fresh(folder_fd, name):
    """A new file beside name, created exclusively: (descriptor, its name)."""
    attempts = 100
    while True:
        temporary = '.%s.part-%d-%s' % (name, os.getpid(), os.urandom(4).hex())
        try:
            flags = os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW | os.O_CLOEXEC
            return os.open(temporary, flags, RECORD_FILE_MODE, dir_fd=folder_fd), temporary
        except OSError as e:
            attempts -= 1
            if e.errno != errno.EEXIST or attempts == 0:
                raise


def _write_fresh(folder_fd, name, content):
    """Writes content to a new file beside name and renames it to name.

    The file is created exclusively without following links, so an existing
    name, a link included, is never written through; the rename replaces it.
    """
    fd, temporary = _create_fresh(folder_fd, name)
    try:
        with os.fdopen(fd, 'wb') as f:
            f.write(content)
            f.flush()
            os.fchmod(f.fileno(), RECORD_FILE_MODE)
            os.fsync(f.fileno())
        os.rename(temporary, name, src_dir_fd=folder_fd, dst_dir_fd=folder_fd)
    except BaseException:
        try:
            os.unlink(temporary, dir_fd=folder_fd)
        except OSError:
            pass
        raise


def write_record_files(folder, records):
    """Writes each record's content to folder/<name>; returns (paths, changed).

    A file that already holds the content is left alone. Every name and the
    folder are checked before anything is written. Raises ValueError for a bad
    name or a folder that is not trusted (UntrustedFolderError), OSError when
    the folder or a file cannot be written.
    """
    names = [record_file_name(record) for record in records]
    folder_fd = trusted_folder(folder)
    try:
        paths = []
        changed = False
        for name, record in zip(names, records):
            paths.append(os.path.join(folder, name))
            content = to_bytes(record.get('content', ''), errors='surrogate_or_strict')
            if _holds(folder_fd, name, content):
                continue
            _write_fresh(folder_fd, name, content)
            changed = True
        return paths, changed
    finally:
        os.close(folder_fd)
