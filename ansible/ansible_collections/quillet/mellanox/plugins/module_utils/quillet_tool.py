# -*- coding: utf-8 -*-
"""Running the installed quillet-mellanox tool and shaping what it answers.

The modules of this collection do no CIM work of their own: the tool loads the
Mellanox adapter module and prints one JSON document per call. This file finds
the tool, builds its command lines, runs it and turns its document, exit code
and log into a result or a failure that says why.
"""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json
import os
import re

TOOL_NAME = 'quillet-mellanox'

INSTALL_HINT = (
    'install the quillet-mellanox package on this node (role quillet.mellanox.install, or '
    'apt-get install ./quillet-mellanox_<version>_amd64.deb), or give the path of the tool in "tool"')

# The operation's status, which is also the tool's exit code for 0 to 4.
STATUS_TEXTS = {
    0: 'success',
    1: 'a CIM step failed',
    2: 'a firmware tool was not found',
    3: 'a per-device tool query failed',
    4: 'not available out-of-band',
}

# Exit codes of the tool itself, when no operation ran to its end.
EXIT_TEXTS = {
    64: 'bad command line',
    66: 'a password file cannot be read',
    69: 'the simulator cannot be started',
    70: 'unexpected failure inside the tool',
    73: 'an output file or directory cannot be written',
    130: 'interrupted',
    143: 'terminated',
}

# Module log lines on stderr: "[1] Enumerate instances for X failed with the reason: WHY".
_ERROR_LINE = re.compile(r'^\[1\]\s*(.*)$')
_REASON_SEPARATOR = 'with the reason: '
# What the option parser adds after its error line.
_USAGE_HINT = 'Run with --help'

# Out-of-band options other than host, which make no sense without it.
OUT_OF_BAND_OPTIONS = ('port', 'user', 'password', 'ssl', 'verify_cert', 'connect_timeout')


def tool_argument_spec():
    return dict(tool=dict(type='path'))


def out_of_band_argument_spec():
    return dict(
        host=dict(type='str'),
        port=dict(type='int'),
        user=dict(type='str'),
        password=dict(type='str', no_log=True),
        ssl=dict(type='bool'),
        verify_cert=dict(type='path'),
        connect_timeout=dict(type='int'),
    )


def out_of_band_problems(params):
    """What is wrong with the out-of-band options that an argument spec cannot say."""
    problems = []
    host = params.get('host')
    if host is None:
        given = [name for name in OUT_OF_BAND_OPTIONS if params.get(name) is not None]
        if given:
            problems.append('%s only apply out-of-band: give "host" too, or leave them out for the '
                            'in-band CIM server of this node' % ', '.join(given))
        return problems
    if not host.strip() or any(c.isspace() for c in host):
        problems.append('host must be a host name or address without blanks, got %r' % host)
    port = params.get('port')
    if port is not None and not 1 <= port <= 65535:
        problems.append('port must be between 1 and 65535, got %d' % port)
    timeout = params.get('connect_timeout')
    if timeout is not None and timeout < 1:
        problems.append('connect_timeout must be at least 1 second, got %d' % timeout)
    if (params.get('user') is None) != (params.get('password') is None):
        problems.append('user and password go together: give both or neither')
    password = params.get('password')
    if password is not None and ('\n' in password or '\r' in password):
        # The tool reads the first line of its password input.
        problems.append('password must be a single line')
    if params.get('verify_cert') is not None and not params.get('ssl'):
        problems.append('verify_cert needs ssl: true')
    return problems


def describe_target(params):
    host = params.get('host')
    if host is None:
        return 'the in-band CIM server of this node'
    port = params.get('port') or (5989 if params.get('ssl') else 5988)
    return ('[%s]:%d' if ':' in host else '%s:%d') % (host, port)


def connection_arguments(params, supports_option):
    """Command-line words and standard input for the connection, plus warnings.

    supports_option(option) tells whether the installed tool knows an option; it
    is only asked about options whose use was requested. The password goes
    through standard input, never on the command line.
    Raises ValueError when a requested option cannot be honoured.
    """
    host = params.get('host')
    if host is None:
        return [], None, []
    words = ['--host', host]
    stdin = None
    warnings = []
    if params.get('port') is not None:
        words += ['--port', str(params['port'])]
    if params.get('user') is not None:
        words += ['--user', params['user'], '--password-file', '-']
        stdin = params['password']
    if params.get('ssl'):
        words.append('--ssl')
    if params.get('verify_cert') is not None:
        if not supports_option('--verify-cert'):
            raise ValueError('verify_cert needs a quillet-mellanox that supports --verify-cert; '
                             'the installed one does not check certificates, so the task stops '
                             'rather than connect unverified')
        words += ['--verify-cert', params['verify_cert']]
    if params.get('connect_timeout') is not None:
        if supports_option('--connect-timeout'):
            words += ['--connect-timeout', str(params['connect_timeout'])]
        else:
            warnings.append('the installed quillet-mellanox has no --connect-timeout: connect_timeout '
                            'is ignored and a host that does not answer costs the module\'s own retries')
    return words, stdin, warnings


def parse_document(stdout):
    """The tool's JSON document, or None when it printed none."""
    text = (stdout or '').strip()
    if not text:
        return None
    try:
        document = json.loads(text)
    except ValueError:
        return None
    return document if isinstance(document, dict) else None


def failure_reason(document, rc, stderr):
    """Why a call failed: the tool's own "error" when it gives one, else its log.

    Returns a dict with "message" and, when the tool named it, "kind".
    """
    error = document.get('error') if document else None
    if isinstance(error, dict) and error.get('message'):
        reason = {'message': str(error['message'])}
        if error.get('kind'):
            reason['kind'] = str(error['kind'])
        return reason
    reasons = []
    other_lines = []
    for line in (stderr or '').splitlines():
        line = line.strip()
        if not line:
            continue
        match = _ERROR_LINE.match(line)
        if not match:
            if not line.startswith(_USAGE_HINT):
                other_lines.append(line)
            continue
        text = match.group(1)
        if _REASON_SEPARATOR in text:
            text = text.split(_REASON_SEPARATOR, 1)[1].strip()
        if text and text not in reasons:
            reasons.append(text)
    if reasons:
        return {'message': reasons[0]}
    if other_lines:
        return {'message': other_lines[0]}
    return {'message': 'quillet-mellanox gave no reason (exit code %d)' % rc}


def status_of(document, rc):
    """The operation's status: from the document, else the exit code when it is one."""
    if document and isinstance(document.get('status'), int):
        return document['status']
    return rc if rc in STATUS_TEXTS else None


def failure_result(what, document, rc, stderr):
    """fail_json arguments for a call that did not succeed; what names the call and its target."""
    status = status_of(document, rc)
    reason = failure_reason(document, rc, stderr)
    if status:
        outcome = 'status %d (%s)' % (status, STATUS_TEXTS.get(status, 'unknown status'))
    else:
        outcome = 'exit code %d (%s)' % (rc, EXIT_TEXTS.get(rc, 'unknown exit code'))
    return dict(
        msg='%s failed with %s: %s' % (what, outcome, reason['message']),
        status=status,
        error=reason,
        rc=rc,
        stderr=stderr or '',
    )


class ToolRunner:
    """The tool on this node: found once, its options probed only when needed."""

    def __init__(self, module):
        self.module = module
        self.path = self._locate(module.params.get('tool'))
        self._help = None

    def _locate(self, given):
        if given:
            if os.path.isfile(given) and os.access(given, os.X_OK):
                return given
            self.module.fail_json(msg='%s is not an executable file: %s' % (given, INSTALL_HINT))
        found = self.module.get_bin_path(TOOL_NAME, required=False)
        if not found:
            self.module.fail_json(msg='%s was not found on PATH: %s' % (TOOL_NAME, INSTALL_HINT))
        return found

    def supports_option(self, option):
        if self._help is None:
            rc, stdout, stderr = self.module.run_command([self.path, '--help'])
            self._help = stdout + stderr
        return re.search(r'(^|\s)%s(\s|=|,|$)' % re.escape(option), self._help, re.M) is not None

    def run(self, words, stdin=None):
        """(rc, document, stderr) of one call with --json."""
        rc, stdout, stderr = self.module.run_command([self.path, '--json'] + words, data=stdin)
        return rc, parse_document(stdout), stderr
