#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: mellanox_rawdata
short_description: Collect the Mellanox adapters' raw service data
version_added: 0.1.0
description:
  - Runs C(quillet-mellanox rawdata) on the node. The vendor's firmware tools list the adapters and
    query each one, and every output becomes one record (C(Mellanox_00_all_devices_info),
    C(Mellanox_01_device_info), ...).
  - With I(dest), writes one file per record, named after the record, into that folder on the node.
    With I(fetch_dest), the records are written on the controller instead, below
    C(fetch_dest/<inventory_hostname>/). The records are returned in either case.
  - Raw data is in-band only; the tools run on the node that runs the module.
  - A failed collection (a firmware tool not found, a device query failed) fails the task with the
    tool's reason; the records collected before are still written and returned.
  - In check mode nothing runs and nothing is written.
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
  root:
    description:
      - Folder below which C(utilities/mellanox/WinMFT/) holds the vendor's tools C(mdevices.exe) and C(flint.bat).
      - Without it the adapter module looks below its own folder.
    type: path
  dest:
    description:
      - Folder on the node for the record files; created (mode 0700) when missing. A file whose content is
        already the record's is left alone, so a run that collects the same data changes nothing.
      - The folder must be a real folder (not a symbolic link), owned by root or by the user the module
        runs as, and not writable by group or others; otherwise nothing is written and the task fails
        with the reason. Each file is created fresh (mode 0600) and renamed into place, so an existing
        name, a link included, is replaced and never written through.
    type: path
  fetch_dest:
    description:
      - Folder on the controller; the records are written below C(fetch_dest/<inventory_hostname>/).
      - Handled by the collection's action plugin on the controller; the module on the node never sees it.
    type: path
seealso:
  - module: quillet.mellanox.mellanox_inventory
  - module: ansible.builtin.fetch
'''

EXAMPLES = r'''
- name: Service data of this node's adapters into a folder only root can write
  quillet.mellanox.mellanox_rawdata:
    root: /opt/quillet
    dest: /var/lib/quillet-mellanox/rawdata
  become: true

- name: Service data of every node, gathered on the controller below service-data/HOST/
  quillet.mellanox.mellanox_rawdata:
    root: /opt/quillet
    fetch_dest: service-data
'''

RETURN = r'''
raw_data:
  description: The records, keyed by the record's field names.
  returned: always, also on failure after the tool ran
  type: list
  elements: dict
  sample: [{"name": "Mellanox_00_all_devices_info", "command": "mdevices.exe status",
            "description": "This command shows all devices of mellanox.",
            "content": "MST devices:\n------------\n  mt4115_pciconf0\n",
            "reserved_text_1": "", "reserved_text_2": ""}]
files:
  description: The record files in I(dest) on the node, or in I(fetch_dest) on the controller.
  returned: when I(dest) or I(fetch_dest) is given
  type: list
  elements: str
  sample: ["/var/lib/quillet-mellanox/rawdata/Mellanox_00_all_devices_info",
           "/var/lib/quillet-mellanox/rawdata/Mellanox_01_device_info"]
status:
  description: The operation's status on failure (2 a firmware tool was not found, 3 a device query failed).
  returned: failure
  type: int
  sample: 2
error:
  description: Why the collection failed; C(message), and C(kind) when the tool names it.
  returned: failure
  type: dict
  sample: {"message": "Cannot find the utility directory"}
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.quillet.mellanox.plugins.module_utils.quillet_tool import (
    ToolRunner, failure_result, tool_argument_spec)
from ansible_collections.quillet.mellanox.plugins.module_utils.record_files import write_record_files


def main():
    module = AnsibleModule(
        argument_spec=dict(tool_argument_spec(), root=dict(type='path'), dest=dict(type='path'),
                           fetch_dest=dict(type='path')),
        mutually_exclusive=[('dest', 'fetch_dest')],
        supports_check_mode=True)
    runner = ToolRunner(module)
    if module.check_mode:
        module.exit_json(changed=False, raw_data=[], msg='check mode: no raw data collected')

    words = ['rawdata']
    if module.params['root']:
        words += ['--root', module.params['root']]
    rc, document, stderr = runner.run(words)
    records = (document or {}).get('raw_data') or []

    result = dict(changed=False, raw_data=records)
    if module.params['dest']:
        try:
            result['files'], result['changed'] = write_record_files(module.params['dest'], records)
        except (IOError, OSError, ValueError) as e:
            module.fail_json(msg='cannot write the raw data into %s: %s' % (module.params['dest'], e),
                             raw_data=records)
    if rc != 0 or document is None or document.get('status') != 0:
        result.update(failure_result('raw data collection on this node', document, rc, stderr))
        module.fail_json(**result)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
