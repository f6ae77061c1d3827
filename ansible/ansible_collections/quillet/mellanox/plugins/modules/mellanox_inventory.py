#!/usr/bin/python
# -*- coding: utf-8 -*-

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: mellanox_inventory
short_description: Gather the Mellanox adapters' inventory as facts
version_added: 0.1.0
description:
  - Runs C(quillet-mellanox inventory --json) and returns its document as the fact C(mellanox) --
    the adapters' PCI functions, their ports, their firmware and software identities, and the status.
  - In-band (no I(host)) the tool asks the CIM server of the node that runs the module.
    Out-of-band (with I(host)) it asks a remote CIM server, so the task can run on the controller
    with C(delegate_to) or a local connection, one task per managed server.
  - Changes nothing anywhere; check mode gathers the facts as a normal run does.
  - A failed operation fails the task with the tool's reason and status.
author:
  - quillet-mellanox maintainers (!UNKNOWN)
extends_documentation_fragment:
  - quillet.mellanox.tool
  - ansible.builtin.action_common_attributes
  - ansible.builtin.action_common_attributes.facts
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  facts:
    support: full
  platform:
    platforms: posix
options:
  host:
    description:
      - Host name or address of the remote CIM server; out-of-band mode.
      - Without it the module works in-band and the other connection options must be left out.
    type: str
  port:
    description:
      - Port of the remote CIM server. The tool's default is 5988, or 5989 with I(ssl).
    type: int
  user:
    description:
      - User name for the remote CIM server. Goes with I(password).
    type: str
  password:
    description:
      - Password of I(user). It reaches the tool through its standard input, never its command line.
      - Ansible masks every occurrence of this text in the task's result, so a password that also
        appears in the inventory data (such as C(OK)) would mask those values too.
    type: str
  ssl:
    description:
      - Connect over HTTPS. Without I(verify_cert) nothing verifies the server's certificate.
      - Plain HTTP when left out.
    type: bool
  verify_cert:
    description:
      - CA certificate file (PEM) against which every TLS connection of the task, the tool's checks and
        the adapter module's, verifies the server's certificate chain and that it names I(host) (its DNS
        name, or its IP address). A connection that does not verify fails before any request, so the
        password is never sent to it, and the task fails with C(error.kind) C(tls_failure). Needs I(ssl).
      - Needs a tool that supports C(--verify-cert); with an older one the task fails rather than connect unverified.
    type: path
  connect_timeout:
    description:
      - Seconds the tool waits for the server's port to accept a TCP connection before it gives the host up.
        The tool's default is 5.
      - Ignored, with a warning, by a tool that has no C(--connect-timeout); a server that does not answer
        then costs the module's own connection retries.
    type: int
seealso:
  - module: quillet.mellanox.mellanox_diagnostic
  - module: quillet.mellanox.mellanox_rawdata
'''

EXAMPLES = r'''
- name: Inventory of the adapters of this node (in-band)
  quillet.mellanox.mellanox_inventory:

- name: Inventory of every server's adapters from the controller (out-of-band)
  quillet.mellanox.mellanox_inventory:
    host: "{{ cim_host }}"
    user: "{{ cim_user }}"
    password: "{{ cim_password }}"
    ssl: true
    verify_cert: /etc/ssl/cim-ca.pem
    connect_timeout: 3
  delegate_to: localhost

- name: Firmware versions of the adapters
  ansible.builtin.debug:
    msg: "{{ ansible_facts.mellanox.software_identities
             | selectattr('classification_descriptions', 'equalto', 'Firmware')
             | map(attribute='version_string') | unique }}"
'''

RETURN = r'''
ansible_facts:
  description: Facts added to the host.
  returned: success
  type: complex
  contains:
    mellanox:
      description:
        - The tool's JSON document as it printed it. Every record is an object keyed by the
          record's field names (C(PCI_device_ID), C(software_ID), ...).
      returned: success
      type: complex
      contains:
        status:
          description: The operation's status, 0 on success.
          returned: always
          type: int
          sample: 0
        pci_devices:
          description: The adapters' PCI functions.
          returned: always
          type: list
          elements: dict
          sample: [{"device_ID": "0000:03:00.0", "element_name": "ConnectX-4 IB #1", "health_state": "5"}]
        ports:
          description: The adapters' InfiniBand and Ethernet ports.
          returned: always
          type: list
          elements: dict
          sample: [{"device_ID": "mlx5_0:1", "speed": "100000000000", "link_technology": "IB"}]
        software_identities:
          description: Firmware, drivers and tools with their versions.
          returned: always
          type: list
          elements: dict
          sample: [{"software_ID": "MT_2190110032", "version_string": "12.28.2006"}]
status:
  description: The operation's status on failure (1 a CIM step failed); absent when the tool ran no operation.
  returned: failure
  type: int
  sample: 1
error:
  description: Why the operation failed.
  returned: failure
  type: dict
  contains:
    kind:
      description:
        - What failed, when the tool names it (C(unreachable), C(refused), C(authentication), C(tls), C(cim)).
      returned: when the tool names it
      type: str
      sample: authentication
    message:
      description: The tool's reason.
      returned: always
      type: str
      sample: 'Authentication failed (HTTP 401 Unauthorized) at the CIM server at 10.0.0.7:5988'
rc:
  description: Exit code of the tool.
  returned: failure
  type: int
  sample: 1
stderr:
  description: What the tool wrote on its standard error (the module's error log).
  returned: failure
  type: str
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.quillet.mellanox.plugins.module_utils.quillet_tool import (
    ToolRunner, connection_arguments, describe_target, failure_result,
    out_of_band_argument_spec, out_of_band_problems, tool_argument_spec)


def argument_spec():
    spec = tool_argument_spec()
    spec.update(out_of_band_argument_spec())
    return spec


def main():
    module = AnsibleModule(argument_spec=argument_spec(), supports_check_mode=True)
    problems = out_of_band_problems(module.params)
    if problems:
        module.fail_json(msg='; '.join(problems))

    runner = ToolRunner(module)
    try:
        words, stdin, warnings = connection_arguments(module.params, runner.supports_option)
    except ValueError as e:
        module.fail_json(msg=str(e))
    for warning in warnings:
        module.warn(warning)

    rc, document, stderr = runner.run(['inventory'] + words, stdin)
    if rc == 0 and document is not None and document.get('status') == 0:
        module.exit_json(changed=False, ansible_facts={'mellanox': document})
    module.fail_json(**failure_result('Mellanox inventory of %s' % describe_target(module.params),
                                      document, rc, stderr))


if __name__ == '__main__':
    main()
