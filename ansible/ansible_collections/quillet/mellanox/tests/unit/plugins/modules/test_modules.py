# -*- coding: utf-8 -*-
"""The modules' main() in-process, as Ansible runs it: argument handling and result shaping."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import contextlib
import io
import json
import os
import stat
import tempfile
import unittest

from ansible.module_utils import basic
from ansible.module_utils.common.text.converters import to_bytes
from ansible_collections.quillet.mellanox.plugins.modules import (
    mellanox_diagnostic, mellanox_inventory, mellanox_rawdata)


def run_module(module, args, check_mode=False):
    """Runs module.main() with these task arguments; returns its JSON result."""
    args = dict(args, _ansible_check_mode=check_mode, _ansible_remote_tmp=tempfile.gettempdir(),
                _ansible_keep_remote_files=False)
    basic._ANSIBLE_ARGS = to_bytes(json.dumps({'ANSIBLE_MODULE_ARGS': args}))
    output = io.StringIO()
    try:
        with contextlib.redirect_stdout(output), unittest.TestCase().assertRaises(SystemExit):
            module.main()
    finally:
        basic._ANSIBLE_ARGS = None
    return json.loads(output.getvalue())


class ArgumentHandlingTest(unittest.TestCase):

    def test_bad_input_is_rejected_with_a_clear_message(self):
        cases = [
            (mellanox_inventory, dict(host='h', port='http'), "argument 'port' is of type"),
            (mellanox_inventory, dict(host='h', ssl='maybe'), "argument 'ssl' is of type"),
            (mellanox_inventory, dict(hostname='h'), 'Unsupported parameters'),
            (mellanox_inventory, dict(port=5988), 'port only apply out-of-band'),
            (mellanox_inventory, dict(host='h', user='admin'), 'user and password go together'),
            (mellanox_diagnostic, dict(name='  '), 'name must not be empty'),
            (mellanox_diagnostic, dict(host='h'), 'Unsupported parameters'),
            (mellanox_rawdata, dict(dest='/a', fetch_dest='b'), 'mutually exclusive'),
        ]
        for module, args, expected in cases:
            with self.subTest(module=module.__name__, args=args):
                result = run_module(module, args)
                self.assertTrue(result.get('failed'), result)
                self.assertIn(expected, result['msg'])

    def test_password_never_shows_in_the_result(self):
        result = run_module(mellanox_inventory, dict(host='', user='admin', password='Xy-secret-77'))
        self.assertTrue(result['failed'])
        self.assertNotIn('Xy-secret-77', json.dumps(result))

    def test_a_missing_tool_says_what_to_install(self):
        with tempfile.TemporaryDirectory() as empty:
            saved_path = os.environ['PATH']
            os.environ['PATH'] = empty
            try:
                for module in (mellanox_inventory, mellanox_diagnostic, mellanox_rawdata):
                    with self.subTest(module=module.__name__):
                        result = run_module(module, {})
                        self.assertTrue(result['failed'])
                        self.assertIn('quillet-mellanox was not found on PATH', result['msg'])
                        self.assertIn('quillet-mellanox_<version>_amd64.deb', result['msg'])
            finally:
                os.environ['PATH'] = saved_path
            result = run_module(mellanox_inventory, dict(tool=os.path.join(empty, 'quillet-mellanox')))
            self.assertIn('is not an executable file', result['msg'])


class DiagnosticOutcomeTest(unittest.TestCase):
    """Documents as "quillet-mellanox diag run NAME --json" prints them."""

    @staticmethod
    def record(result, state, text=''):
        return {'result': result, 'job_state': 'Completed', 'percent_complete': '100',
                'completion_state': state, 'completion_record': text}

    def test_a_passing_run_changed_something(self):
        outcome, failed = mellanox_diagnostic.run_outcome(
            'T|1', {'status': 0, 'name': 'T|1', 'record': self.record(2, 'OK', 'PASS')}, 0, '')
        self.assertFalse(failed)
        self.assertEqual(outcome, {'changed': True, 'name': 'T|1', 'record': self.record(2, 'OK', 'PASS')})

    def test_a_run_that_found_a_fault_fails_and_still_changed(self):
        outcome, failed = mellanox_diagnostic.run_outcome(
            'T|1', {'status': 0, 'record': self.record(5, 'Failed', 'FAIL: loopback data mismatch')}, 0, '')
        self.assertTrue(failed)
        self.assertTrue(outcome['changed'])
        self.assertEqual(outcome['msg'], 'diagnostic T|1 ended with Failed (result 5): FAIL: loopback data mismatch')
        # A tool that also says so through its status and exit code gives the same reason.
        outcome, failed = mellanox_diagnostic.run_outcome(
            'T|1', {'status': 1, 'record': self.record(3, 'Warning')}, 1, '')
        self.assertTrue(failed)
        self.assertEqual(outcome['msg'], 'diagnostic T|1 ended with Warning (result 3)')

    def test_a_run_whose_job_never_finished_reports_the_logged_reason(self):
        record = dict(self.record(1, ''), job_state='Running', percent_complete='40')
        outcome, failed = mellanox_diagnostic.run_outcome(
            'T|1', {'status': 1, 'record': record}, 1, '[1] Poll job failed with the reason: timed out\n')
        self.assertTrue(failed)
        self.assertTrue(outcome['changed'])
        self.assertIn('failed with status 1 (a CIM step failed): timed out', outcome['msg'])

    def test_nothing_ran_for_an_unknown_name(self):
        outcome, failed = mellanox_diagnostic.run_outcome(
            'NOPE', {'status': 1, 'name': 'NOPE', 'record': self.record(0, '')}, 1, '')
        self.assertTrue(failed)
        self.assertFalse(outcome['changed'])
        self.assertIn('no diagnostic named NOPE', outcome['msg'])
        # A tool that says why is believed.
        outcome, failed = mellanox_diagnostic.run_outcome(
            'NOPE', {'status': 1, 'record': self.record(0, ''), 'error': {'kind': 'usage', 'message': 'see diag list'}}, 64, '')
        self.assertTrue(failed)
        self.assertEqual(outcome['error'], {'kind': 'usage', 'message': 'see diag list'})
        self.assertFalse(outcome['changed'])


class RecordFilesTest(unittest.TestCase):

    def setUp(self):
        self.folder = tempfile.mkdtemp()

    def tearDown(self):
        for name in os.listdir(self.folder):
            os.remove(os.path.join(self.folder, name))
        os.rmdir(self.folder)

    def test_one_file_per_record_and_unchanged_files_are_left_alone(self):
        from ansible_collections.quillet.mellanox.plugins.module_utils.record_files import write_record_files
        records = [{'name': 'Mellanox_00_all_devices_info', 'content': 'MST devices:\n'},
                   {'name': 'Mellanox_01_device_info', 'content': u'PSID: MT_2190110032 \u00b5\n'}]
        paths, changed = write_record_files(self.folder, records)
        self.assertTrue(changed)
        self.assertEqual(sorted(os.listdir(self.folder)), ['Mellanox_00_all_devices_info', 'Mellanox_01_device_info'])
        with open(paths[1], 'rb') as f:
            self.assertEqual(f.read(), u'PSID: MT_2190110032 \u00b5\n'.encode('utf-8'))
        inode = os.stat(paths[0])[stat.ST_INO]

        records[1]['content'] = 'PSID: MT_0000000000\n'
        paths, changed = write_record_files(self.folder, records)
        self.assertTrue(changed)
        self.assertEqual(os.stat(paths[0])[stat.ST_INO], inode, 'an unchanged record is not rewritten')
        self.assertEqual(write_record_files(self.folder, records), (paths, False))

    def test_a_name_that_leaves_the_folder_stops_before_anything_is_written(self):
        from ansible_collections.quillet.mellanox.plugins.module_utils.record_files import write_record_files
        for bad in ('../escape', '..', '', None, 'a/b'):
            with self.subTest(name=bad):
                with self.assertRaisesRegex(ValueError, 'cannot be a file name'):
                    write_record_files(self.folder, [{'name': 'fine', 'content': 'x'}, {'name': bad, 'content': 'y'}])
                self.assertEqual(os.listdir(self.folder), [])


class RecordFilesSafetyTest(unittest.TestCase):
    """The module runs as root: a folder another user controls is never written into."""

    NOBODY = 65534

    def setUp(self):
        self.work = tempfile.mkdtemp()
        self.victim = os.path.join(self.work, 'victim')
        with open(self.victim, 'w') as f:
            f.write('root only\n')
        os.chmod(self.victim, 0o600)
        self.folder = os.path.join(self.work, 'dest')
        os.mkdir(self.folder, 0o700)
        self.records = [{'name': 'Mellanox_00_all_devices_info', 'content': 'service data\n'}]

    def tearDown(self):
        import shutil
        shutil.rmtree(self.work)

    def write(self, folder=None):
        from ansible_collections.quillet.mellanox.plugins.module_utils.record_files import write_record_files
        return write_record_files(folder or self.folder, self.records)

    def assert_victim_untouched(self):
        with open(self.victim) as f:
            self.assertEqual(f.read(), 'root only\n')

    def test_a_folder_of_another_user_with_a_planted_link_is_refused(self):
        if os.geteuid() != 0:
            self.skipTest('needs root to give the folder to uid 65534, as the attack does')
        link = os.path.join(self.folder, 'Mellanox_00_all_devices_info')
        os.symlink(self.victim, link)
        os.lchown(link, self.NOBODY, self.NOBODY)
        os.chown(self.folder, self.NOBODY, self.NOBODY)
        with self.assertRaisesRegex(ValueError, 'refusing to write into .*owned by uid 65534'):
            self.write()
        self.assert_victim_untouched()
        self.assertEqual(os.listdir(self.folder), ['Mellanox_00_all_devices_info'])

    def test_a_folder_others_may_write_or_a_linked_folder_is_refused(self):
        os.chmod(self.folder, 0o1777)
        with self.assertRaisesRegex(ValueError, r'group or others may write to it \(mode 1777\)'):
            self.write()
        os.chmod(self.folder, 0o700)
        linked = os.path.join(self.work, 'linked')
        os.symlink(self.folder, linked)
        with self.assertRaisesRegex(ValueError, 'it is a symbolic link'):
            self.write(linked)
        self.assertEqual(os.listdir(self.folder), [])

    def test_an_existing_link_is_replaced_never_written_through(self):
        link = os.path.join(self.folder, 'Mellanox_00_all_devices_info')
        os.symlink(self.victim, link)
        paths, changed = self.write()
        self.assertTrue(changed)
        self.assert_victim_untouched()
        info = os.lstat(paths[0])
        self.assertTrue(stat.S_ISREG(info.st_mode))
        self.assertEqual(stat.S_IMODE(info.st_mode), 0o600)
        self.assertEqual(os.listdir(self.folder), ['Mellanox_00_all_devices_info'])


if __name__ == '__main__':
    unittest.main()
