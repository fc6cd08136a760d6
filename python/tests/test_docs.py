"""The documentation: every public name has a docstring with its shared part filled in, and its examples hold."""

import doctest

import pandas

import humitrax
from humitrax import engine


def test_every_public_name_has_a_docstring():
    names = [getattr(humitrax, name) for name in humitrax.__all__]
    names += [getattr(engine, name) for name in engine.__all__]
    assert [name for name in names if not (name.__doc__ or "").strip() or "{shared}" in name.__doc__] == []


def test_the_docstring_examples_hold():
    runner = doctest.DocTestRunner()
    finder = doctest.DocTestFinder(recurse=False)
    for documented in (humitrax, humitrax.state, humitrax.frame, humitrax.mix, engine):
        for test in finder.find(documented, globs={"humitrax": humitrax, "pandas": pandas}):
            runner.run(test)
    assert runner.failures == 0 and runner.tries >= 8
