"""Prints the fleet's inventory (JSON, which Ansible reads as YAML).

Arguments: the work folder that runme.sh filled (NAME.port per simulator, the
password files, the TLS simulators' certificates), "yes" when the tool can verify
certificates, and the closed loopback ports that stand for servers that are down.
50 hosts: three down, one with a wrong password, three that are also in-band
nodes, the rest spread over the five out-of-band simulators; with "yes", two of
those verify the TLS simulator's certificate, against its own and another one.
"""

import json
import os
import sys

HOSTS = 50
LIVE_SIMULATORS = ['plain', 'eight', 'secured', 'tls', 'tls_secured']
SECURED = {'secured', 'tls_secured'}
TLS = {'tls', 'tls_secured'}
INBAND_NODES = ['a', 'b', 'c']


def read(work, name):
    with open(os.path.join(work, name)) as f:
        return f.read().strip()


def server_vars(work, simulator, password):
    variables = {'sim': simulator, 'cim_port': int(read(work, simulator + '.port'))}
    if simulator in SECURED:
        variables.update(cim_user='admin', cim_password=password)
    if simulator in TLS:
        variables['cim_ssl'] = True
    return variables


def main():
    work, verify, closed_ports = sys.argv[1], sys.argv[2] == 'yes', [int(p) for p in sys.argv[3:]]
    password = read(work, 'password')
    hosts = {}
    names = ['fleet-%02d' % n for n in range(1, HOSTS + 1)]
    rest = iter(names)
    for port in closed_ports:
        hosts[next(rest)] = {'cim_port': port, 'expect_failure': 'refused'}
    wrong = server_vars(work, 'secured', password)
    wrong.update(cim_password=read(work, 'wrong-password'), expect_failure='authentication')
    del wrong['sim']
    hosts[next(rest)] = wrong
    inband = {}
    for node in INBAND_NODES:
        name = next(rest)
        hosts[name] = server_vars(work, 'plain', password)
        inband[name] = {'inband_url': 'http://127.0.0.1:%s' % read(work, 'inband_%s.port' % node)}
    if verify:
        hosts[next(rest)] = dict(server_vars(work, 'tls', password), cim_verify_cert=os.path.join(work, 'tls.pem'))
        rejected = dict(server_vars(work, 'tls', password), expect_failure='tls',
                        cim_verify_cert=os.path.join(work, 'tls_secured.pem'))
        del rejected['sim']
        hosts[next(rest)] = rejected
    for index, name in enumerate(rest):
        hosts[name] = server_vars(work, LIVE_SIMULATORS[index % len(LIVE_SIMULATORS)], password)
    inventory = {
        'all': {
            'vars': {
                'ansible_connection': 'local',
                'ansible_python_interpreter': '/usr/bin/python3',
                'cim_host': '127.0.0.1',
                'expected_dir': os.path.join(work, 'expected'),
            },
            'children': {
                'fleet': {'hosts': hosts},
                'inband': {'hosts': inband},
            },
        },
    }
    json.dump(inventory, sys.stdout, indent=2)


if __name__ == '__main__':
    main()
