# -*- coding: utf-8 -*-
"""Runs mellanox_rawdata on the node and, with fetch_dest, writes its records on the controller."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import os

from ansible.errors import AnsibleActionFail
from ansible.module_utils.common.text.converters import to_text
from ansible.plugins.action import ActionBase
from ansible_collections.quillet.mellanox.plugins.module_utils.record_files import write_record_files


class ActionModule(ActionBase):

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        del tmp
        module_args = dict(self._task.args)
        fetch_dest = module_args.pop('fetch_dest', None)
        if fetch_dest is not None and module_args.get('dest') is not None:
            raise AnsibleActionFail('dest and fetch_dest are mutually exclusive: the records go to '
                                    'the node (dest) or to the controller (fetch_dest)')
        result.update(self._execute_module(module_name='quillet.mellanox.mellanox_rawdata',
                                           module_args=module_args, task_vars=task_vars))
        if fetch_dest is None or self._play_context.check_mode or 'raw_data' not in result:
            return result

        host = (task_vars or {}).get('inventory_hostname', self._play_context.remote_addr)
        folder = os.path.join(self._loader.path_dwim(fetch_dest), host)
        try:
            result['files'], changed = write_record_files(folder, result['raw_data'])
        except (IOError, OSError, ValueError) as e:
            result['failed'] = True
            result['msg'] = 'cannot write the raw data below %s on the controller: %s' % (folder, to_text(e))
            return result
        result['changed'] = result.get('changed', False) or changed
        return result
