#!/usr/bin/env python3
"""ansible-test with the Python packages of the system instead of pinned ones from PyPI.

ansible-test builds one virtual environment per sanity test and pip-installs
pinned linters into it; where PyPI is out of reach that fails before any test
runs. This wrapper lets it build those environments on the system's site
packages (Debian's pylint, yamllint, pycodestyle, voluptuous) and skips the pip
step. Arguments: the same as ansible-test's.
"""

from ansible_test._internal import main
from ansible_test._internal import venv
from ansible_test._internal.commands import sanity


def _system_site_environment(args, python, path, system_site_packages=False, pip=False):
    del system_site_packages, pip
    return venv.create_virtual_environment(args, python, path, system_site_packages=True, pip=False)


def _no_pip(*args, **kwargs):
    del args, kwargs


sanity.create_virtual_environment = _system_site_environment
sanity.run_pip = _no_pip

if __name__ == '__main__':
    main()
