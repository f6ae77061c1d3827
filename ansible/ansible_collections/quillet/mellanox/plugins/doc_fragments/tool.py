# -*- coding: utf-8 -*-
"""Options that every module of the collection shares."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):

    DOCUMENTATION = r'''
options:
  tool:
    description:
      - Path of the C(quillet-mellanox) tool on the node, for example a build tree's C(build/bin/quillet-mellanox).
      - Without it the tool is looked up on C(PATH); the C(quillet-mellanox) package, which the role
        C(quillet.mellanox.install) installs, puts it in C(/usr/bin).
    type: path
requirements:
  - The C(quillet-mellanox) tool on the node that runs the module (the C(quillet-mellanox) Debian package).
notes:
  - In-band, the tool reaches the CIM server of the node as OpenPegasus's own client does (its local domain socket,
    then C(http://127.0.0.1:5988) and C(https://127.0.0.1:5989)); the environment variable
    C(QUILLET_CIMSERVER_LOCAL) (set with the task's C(environment) keyword) points it elsewhere, for example
    C(https://127.0.0.1:5989) or C(unix:/var/tmp/cimxml.socket).
'''
