"""Shared by the tests: the built humitrax-cli, which CTest names in HUMITRAX_CLI."""

import os

import pytest


@pytest.fixture(scope="session")
def cli():
    path = os.environ.get("HUMITRAX_CLI")
    if not path or not os.access(path, os.X_OK):
        pytest.fail("HUMITRAX_CLI must name the built humitrax-cli (ctest sets it)")
    return path
