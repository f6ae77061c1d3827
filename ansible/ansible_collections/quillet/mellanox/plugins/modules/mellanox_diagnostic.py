#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: mellanox_diagnostic
short_description: List the Mellanox adapters' diagnostics, or run one
version_added: 0.1.0
description:
  - Without I(name), lists the diagnostics that the adapters' CIM provider offers on the node
    (C(quillet-mellanox diag list)); nothing runs and nothing changes.
  - With I(name), runs that diagnostic to its end (C(quillet-mellanox diag run NAME)) and returns its record.
    The task reports C(changed) only when a diagnostic ran, and fails when it did not end with
    the completion state C(OK) (the record is returned all the same).
  - Diagnostics are in-band only; the module asks the CIM server of the node that runs it.
  - In check mode nothing runs; with I(name) the module lists the diagnostics and fails when none has that name.
author:
  - quillet-mellanox maintainers (!UNKNOWN)
extends_documentation_fragment:
  - quillet.mellanox.tool
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  platform:
    platforms: posix
options:
  name:
    description:
      - Name of the diagnostic to run, as the listing gives it (service name, C(|), device, for example
        C(MLNX_PCIeLinkTest|0000:03:00.0)).
      - A run can take minutes; the module waits for it.
    type: str
seealso:
  - module: quillet.mellanox.mellanox_inventory
'''

EXAMPLES = r'''
- name: Diagnostics available on this node
  quillet.mellanox.mellanox_diagnostic:
  register: diagnostics

- name: Run every PCIe link test
  quillet.mellanox.mellanox_diagnostic:
    name: "{{ item }}"
  loop: "{{ diagnostics.diagnostics | select('match', 'MLNX_PCIeLinkTest[|]') }}"
'''

RETURN = r'''
diagnostics:
  description: Names of the diagnostics the adapters offer.
  returned: when I(name) is not given, and in check mode
  type: list
  elements: str
  sample: ["MLNX_PCIeLinkTest|0000:03:00.0", "MLNX_LoopbackTest|0000:03:00.1"]
name:
  description: The diagnostic that ran.
  returned: when a diagnostic ran
  type: str
  sample: MLNX_PCIeLinkTest|0000:03:00.0
record:
  description: The outcome of the run, keyed by the record's field names.
  returned: when a diagnostic ran
  type: dict
  contains:
    result:
      description: 2 completion state OK, 3 Warning, 4 Incomplete, 5 Failed, 6 Aborted, 7 Stopped, 1 any other.
      returned: always
      type: int
      sample: 2
    job_state:
      description: Final state of the diagnostic's job.
      returned: always
      type: str
      sample: Completed
    completion_state:
      description: Completion state of the run.
      returned: always
      type: str
      sample: OK
    completion_record:
      description: What the diagnostic reported.
      returned: always
      type: str
      sample: 'PASS: PCIe link x16 Gen3'
  sample: {"result": 2, "job_state": "Completed", "percent_complete": "100", "completion_state": "OK",
           "completion_record": "PASS: PCIe link x16 Gen3", "detail_1": "", "detail_2": "", "detail_3": "", "detail_4": ""}
status:
  description: The operation's status on failure.
  returned: failure
  type: int
  sample: 1
error:
  description: Why the operation failed; C(message), and C(kind) when the tool names it.
  returned: failure
  type: dict
  sample: {"message": "Cannot connect to the CIM server at 127.0.0.1:5988: Connection refused"}
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.quillet.mellanox.plugins.module_utils.quillet_tool import (
    ToolRunner, failure_result, tool_argument_spec)

# DiagnosticRecord_ result codes: 0 means nothing ran, 2 the completion state "OK".
RESULT_NOTHING_RAN = 0
RESULT_OK = 2


def run_outcome(name, document, rc, stderr):
    """(exit_json or fail_json arguments, failed) of a "diag run" call."""
    record = (document or {}).get('record')
    ran = isinstance(record, dict) and record.get('result', RESULT_NOTHING_RAN) != RESULT_NOTHING_RAN
    status = (document or {}).get('status')
    if ran and status == 0 and record.get('result') == RESULT_OK:
        return dict(changed=True, name=name, record=record), False
    if ran and record.get('completion_state') and record.get('result') != RESULT_OK:
        # The diagnostic itself ended other than OK: its own outcome is the reason,
        # whatever status and exit code the tool chose for it.
        msg = 'diagnostic %s ended with %s (result %d)' % (name, record['completion_state'], record.get('result'))
        if record.get('completion_record'):
            msg += ': %s' % record['completion_record']
        return dict(changed=True, name=name, record=record, status=status, rc=rc, msg=msg), True
    if ran:
        failure = failure_result('diagnostic %s on this node' % name, document, rc, stderr)
        failure.update(changed=True, name=name, record=record)
        return failure, True
    failure = failure_result('diagnostic %s on this node' % name, document, rc, stderr)
    if record is not None and status == 1 and 'error' not in (document or {}):
        # The module ran nothing and gave no reason: no listed diagnostic has that name.
        failure['error'] = {'message': 'no diagnostic named %s on this node: the module ran nothing '
                                       '(list the names with mellanox_diagnostic without name)' % name}
        failure['msg'] = failure['error']['message']
    failure['changed'] = False
    return failure, True


def main():
    module = AnsibleModule(
        argument_spec=dict(tool_argument_spec(), name=dict(type='str')),
        supports_check_mode=True)
    name = module.params['name']
    if name is not None and not name.strip():
        module.fail_json(msg='name must not be empty: give a name from the listing, or leave it out to list them')
    runner = ToolRunner(module)

    if name is None or module.check_mode:
        rc, document, stderr = runner.run(['diag', 'list'])
        if rc != 0 or document is None or document.get('status') != 0:
            module.fail_json(**failure_result('diagnostic listing on this node', document, rc, stderr))
        names = document.get('names', [])
        if name is None:
            module.exit_json(changed=False, diagnostics=names)
        if name not in names:
            module.fail_json(msg='no diagnostic named %s on this node; available: %s'
                             % (name, ', '.join(names) or 'none'), diagnostics=names)
        module.exit_json(changed=False, diagnostics=names,
                         msg='check mode: diagnostic %s would run' % name)

    rc, document, stderr = runner.run(['diag', 'run', name])
    result, failed = run_outcome(name, document, rc, stderr)
    if failed:
        module.fail_json(**result)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
