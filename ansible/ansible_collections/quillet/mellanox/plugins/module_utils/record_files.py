# -*- coding: utf-8 -*-
"""Raw-data records as files, one per record, named after the record.

Shared by the module, which writes them on the node, and the action plugin,
which writes them on the controller.
"""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import os

from ansible.module_utils.common.text.converters import to_bytes


def record_file_name(record):
    """The file name of a record: its name, refused when it would leave the folder."""
    name = record.get('name') if isinstance(record, dict) else None
    if not isinstance(name, str) or not name or name in ('.', '..') or '/' in name or '\0' in name:
        raise ValueError('raw data record name %r cannot be a file name' % (name,))
    return name


def _holds(path, content):
    try:
        if os.path.getsize(path) != len(content):
            return False
        with open(path, 'rb') as f:
            return f.read() == content
    except (IOError, OSError):
        return False


def write_record_files(folder, records):
    """Writes each record's content to folder/<name>; returns (paths, changed).

    A file that already holds the content is left alone. Every name is checked
    before anything is written. Raises ValueError for a bad name, OSError when
    the folder or a file cannot be written.
    """
    names = [record_file_name(record) for record in records]
    if not os.path.isdir(folder):
        os.makedirs(folder)
    paths = []
    changed = False
    for name, record in zip(names, records):
        path = os.path.join(folder, name)
        paths.append(path)
        content = to_bytes(record.get('content', ''), errors='surrogate_or_strict')
        if _holds(path, content):
            continue
        # Written beside the target and renamed, so a reader never sees half a file.
        with open(path + '.part', 'wb') as f:
            f.write(content)
        os.rename(path + '.part', path)
        changed = True
    return paths, changed
