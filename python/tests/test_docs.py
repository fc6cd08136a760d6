"""The documentation: every public name has a docstring with its shared parts filled in, and its examples hold."""

import doctest
import pathlib
import re

import pandas

import humitrax
from humitrax import engine

DOCUMENTED = [humitrax, engine] + [getattr(humitrax, name) for name in humitrax.__all__ if name != "engine"] + \
    [getattr(engine, name) for name in engine.__all__ if name != "PropertyFailure"]


def test_every_public_name_has_a_docstring():
    assert [name for name in DOCUMENTED if not (name.__doc__ or "").strip() or
            re.search(r"\{[a-z_]+\}", name.__doc__)] == []


def test_the_docstring_examples_hold(monkeypatch):
    # The weather readers' examples read the tests' files.
    monkeypatch.chdir(pathlib.Path(__file__).parent / "data")
    runner = doctest.DocTestRunner()
    finder = doctest.DocTestFinder(recurse=False)
    for documented in DOCUMENTED:
        for test in finder.find(documented, name=documented.__name__,
                                globs={"humitrax": humitrax, "pandas": pandas}):
            runner.run(test)
    assert runner.failures == 0 and runner.tries >= 60
