"""The compiled module says who it is: its version, a docstring for every function, a type stub
that lists what it has, and the constants the charts take from it."""
import ast
import os
import pathlib
import subprocess

import littoral
from littoral import _littoral


def test_the_module_describes_itself_and_its_stub_matches_it():
    version = subprocess.run([os.environ["LITTORAL_BINARY"], "--version"], capture_output=True,
                             text=True, check=True).stdout.split()[-1]
    assert littoral.__version__ == _littoral.__version__ == version
    public = {name for name in dir(_littoral) if not name.startswith("_")}
    functions = {name for name in public if callable(getattr(_littoral, name))}
    assert all(getattr(_littoral, name).__doc__.strip() for name in functions)
    stub = ast.parse(pathlib.Path(_littoral.__file__).with_name("_littoral.pyi").read_text())
    stubbed = {node.name for node in stub.body if isinstance(node, ast.FunctionDef)}
    stubbed |= {node.target.id for node in stub.body if isinstance(node, ast.AnnAssign)}
    assert stubbed == public | {"__version__"}
    # The SI rate factor as the console prints it, and the cubic yard of 0.9144 m cubed.
    assert f"{_littoral.si_rate_factor:.6f}" == "4.448703"
    assert _littoral.cubic_metres_per_cubic_yard == 0.9144 ** 3
