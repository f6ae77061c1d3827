# -*- coding: utf-8 -*-
"""Connection options, command lines and failure reasons of the tool runner."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import unittest

from ansible_collections.quillet.mellanox.plugins.module_utils.quillet_tool import (
    connection_arguments, describe_target, failure_result, out_of_band_problems, parse_document)

# What the tool writes on stderr for a wrong password and for a server that is down.
AUTHENTICATION_LOG = (
    '[1] Enumerate instances for MLNX_PCIDevice failed with the reason: Authentication failed (HTTP 401 '
    'Unauthorized) at the CIM server at 10.1.1.7:5988: user "root" or its password was rejected\n'
    '[1] Enumerate instances for CIM_NetworkPort failed with the reason: Authentication failed (HTTP 401 '
    'Unauthorized) at the CIM server at 10.1.1.7:5988: user "root" or its password was rejected\n')
DOWN_LOG = (
    '[1] Failed to connect remote cimserver with the reason: Cannot connect to the CIM server at '
    '10.1.1.8:5988: Connection refused\n') * 3
FAILED_INVENTORY = {'status': 1, 'pci_devices': [], 'ports': [], 'software_identities': []}


class OutOfBandProblemsTest(unittest.TestCase):

    def test_complete_out_of_band_options_pass(self):
        self.assertEqual(out_of_band_problems(dict(
            host='cim.example.net', port=5989, user='admin', password='pw', ssl=True,
            verify_cert='/etc/ca.pem', connect_timeout=3)), [])
        self.assertEqual(out_of_band_problems(dict(host=None)), [])

    def test_options_without_host_are_named(self):
        problems = out_of_band_problems(dict(host=None, port=5988, user='admin', password='pw', ssl=False))
        self.assertEqual(len(problems), 1)
        self.assertIn('port, user, password, ssl only apply out-of-band', problems[0])

    def test_each_bad_value_is_reported_with_the_value(self):
        cases = [
            (dict(host=''), "host must be a host name or address without blanks, got ''"),
            (dict(host='a b'), "got 'a b'"),
            (dict(host='h', port=0), 'port must be between 1 and 65535, got 0'),
            (dict(host='h', port=65536), 'got 65536'),
            (dict(host='h', connect_timeout=0), 'connect_timeout must be at least 1 second, got 0'),
            (dict(host='h', user='admin'), 'user and password go together'),
            (dict(host='h', password='pw'), 'user and password go together'),
            (dict(host='h', user='u', password='one\ntwo'), 'password must be a single line'),
            (dict(host='h', verify_cert='/ca.pem'), 'verify_cert needs ssl: true'),
            (dict(host='h', ssl=False, verify_cert='/ca.pem'), 'verify_cert needs ssl: true'),
        ]
        for params, expected in cases:
            with self.subTest(params=params):
                problems = out_of_band_problems(params)
                self.assertEqual(len(problems), 1, problems)
                self.assertIn(expected, problems[0])


class ConnectionArgumentsTest(unittest.TestCase):

    def setUp(self):
        self.asked = []

    def tool_knowing(self, *options):
        def supports(option):
            self.asked.append(option)
            return option in options
        return supports

    def test_in_band_has_no_connection_words(self):
        self.assertEqual(connection_arguments(dict(host=None), self.tool_knowing()), ([], None, []))

    def test_password_goes_to_standard_input_never_the_command_line(self):
        words, stdin, warnings = connection_arguments(
            dict(host='10.1.1.7', port=5989, user='admin', password='s3cret', ssl=True),
            self.tool_knowing())
        self.assertEqual(words, ['--host', '10.1.1.7', '--port', '5989', '--user', 'admin',
                                 '--password-file', '-', '--ssl'])
        self.assertEqual(stdin, 's3cret')
        self.assertNotIn('s3cret', ' '.join(words))
        self.assertEqual(warnings, [])
        self.assertEqual(self.asked, [], 'the tool is probed only for options that were asked for')

    def test_newer_options_are_passed_when_the_tool_knows_them(self):
        words, stdin, warnings = connection_arguments(
            dict(host='h', ssl=True, verify_cert='/etc/ca.pem', connect_timeout=2),
            self.tool_knowing('--verify-cert', '--connect-timeout'))
        self.assertIsNone(stdin)
        self.assertEqual(words, ['--host', 'h', '--ssl', '--verify-cert', '/etc/ca.pem', '--connect-timeout', '2'])
        self.assertEqual(warnings, [])

    def test_an_older_tool_ignores_the_time_out_with_a_warning_but_never_skips_verification(self):
        words, stdin, warnings = connection_arguments(dict(host='h', connect_timeout=2), self.tool_knowing())
        self.assertIsNone(stdin)
        self.assertEqual(words, ['--host', 'h'])
        self.assertEqual(len(warnings), 1)
        self.assertIn('connect_timeout is ignored', warnings[0])
        with self.assertRaisesRegex(ValueError, 'does not check certificates'):
            connection_arguments(dict(host='h', ssl=True, verify_cert='/ca.pem'), self.tool_knowing())


class FailureResultTest(unittest.TestCase):

    def test_messages_name_the_server_with_its_port(self):
        self.assertEqual(describe_target(dict(host='cim.example.net')), 'cim.example.net:5988')
        self.assertEqual(describe_target(dict(host='10.1.1.7', ssl=True)), '10.1.1.7:5989')
        self.assertEqual(describe_target(dict(host='fd00::7', port=15989)), '[fd00::7]:15989')
        self.assertEqual(describe_target(dict(host=None)), 'the in-band CIM server of this node')

    def test_the_tools_own_error_wins_over_its_log(self):
        document = dict(FAILED_INVENTORY, error={'kind': 'authentication', 'message': 'user "root" rejected'})
        result = failure_result('Mellanox inventory of h:5988', document, 1, AUTHENTICATION_LOG)
        self.assertEqual(result['error'], {'kind': 'authentication', 'message': 'user "root" rejected'})
        self.assertEqual(result['msg'], 'Mellanox inventory of h:5988 failed with status 1 '
                                        '(a CIM step failed): user "root" rejected')
        self.assertEqual((result['status'], result['rc']), (1, 1))

    def test_without_an_error_object_the_first_logged_reason_is_taken_once(self):
        result = failure_result('inventory', FAILED_INVENTORY, 1, AUTHENTICATION_LOG)
        self.assertEqual(result['error'], {'message': 'Authentication failed (HTTP 401 Unauthorized) at the CIM '
                                                      'server at 10.1.1.7:5988: user "root" or its password was rejected'})
        result = failure_result('inventory', FAILED_INVENTORY, 1, DOWN_LOG)
        self.assertEqual(result['error']['message'], 'Cannot connect to the CIM server at 10.1.1.8:5988: Connection refused')
        self.assertEqual(result['stderr'], DOWN_LOG)

    def test_a_tool_that_ran_no_operation_is_reported_by_its_exit_code(self):
        result = failure_result('raw data collection', None, 64,
                                '--root: Directory does not exist: /nowhere\nRun with --help for more information.\n')
        self.assertEqual(result['msg'], 'raw data collection failed with exit code 64 (bad command line): '
                                        '--root: Directory does not exist: /nowhere')
        self.assertIsNone(result['status'])
        result = failure_result('inventory', {'status': 0, 'pci_devices': []}, 70, 'quillet-mellanox: std::bad_alloc\n')
        self.assertEqual(result['msg'], 'inventory failed with exit code 70 (unexpected failure inside the tool): '
                                        'quillet-mellanox: std::bad_alloc')
        result = failure_result('inventory', None, 139, '')
        self.assertEqual(result['msg'], 'inventory failed with exit code 139 (unknown exit code): '
                                        'quillet-mellanox gave no reason (exit code 139)')

    def test_status_comes_from_the_exit_code_when_no_document_was_printed(self):
        result = failure_result('diagnostic listing', None, 4, "[1] Doesn't support in out-of-band mode\n")
        self.assertEqual(result['status'], 4)
        self.assertIn("status 4 (not available out-of-band): Doesn't support in out-of-band mode", result['msg'])


class ParseDocumentTest(unittest.TestCase):

    def test_only_a_json_object_is_a_document(self):
        self.assertEqual(parse_document('{"status": 0, "names": []}\n'), {'status': 0, 'names': []})
        for stdout in ('', None, '  \n', 'Status 1: a CIM step failed', '[1, 2]', '{"status": 0'):
            with self.subTest(stdout=stdout):
                self.assertIsNone(parse_document(stdout))


if __name__ == '__main__':
    unittest.main()
