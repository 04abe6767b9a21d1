"""Checks the type stubs in src/python/qelix-stubs against the built module.

1. mypy's stubtest: every name, signature and default of the module, its classes and the
   `crypto` and `algorithms` submodules agrees with the stubs (deliberate differences are listed
   in src/python/stubtest-allowlist.txt);
2. every public entry of the stubs carries a doc string;
3. mypy type-checks examples/ and tests/typing/ against the stubs.

Run through scripts/check-stubs, which points PYTHONPATH at the built module and MYPYPATH at
the stubs the build copied.
"""
import ast
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
STUBS = ROOT / "src" / "python" / "qelix-stubs"
ALLOWLIST = ROOT / "src" / "python" / "stubtest-allowlist.txt"
HOW_TO_FIX = f"""
The stubs in {STUBS.relative_to(ROOT)}/ disagree with the built module. Each 'error:' above
names one entry ("qelix.Circuit.foo is not present in stub" = a new method to describe there,
with a doc string; "... differs from runtime parameter" = a renamed or re-ordered parameter).
A deliberate difference goes into {ALLOWLIST.relative_to(ROOT)} with a comment."""


def stubtest() -> bool:
    import qelix

    # The submodules are attributes, not importable modules; stubtest imports them by name.
    sys.modules["qelix.crypto"] = qelix.crypto
    sys.modules["qelix.algorithms"] = qelix.algorithms
    from mypy import stubtest as tool

    print("== stubtest", flush=True)
    code = tool.test_stubs(tool.parse_options(["qelix", "--allowlist", str(ALLOWLIST)]))
    if code:
        print(HOW_TO_FIX)
    return code == 0


def undocumented(path: Path) -> list[str]:
    """Public classes, functions and methods of a stub file without a doc string."""
    missing = []

    def visit(body: list[ast.stmt], prefix: str) -> None:
        for node in body:
            if isinstance(node, (ast.ClassDef, ast.FunctionDef)):
                name = prefix + node.name
                public = not node.name.startswith("_") or node.name.startswith("__") or "_repr_" in node.name
                if public and node.name != "__init__" and ast.get_docstring(node) is None:
                    missing.append(f"{path.name}:{node.lineno}: {name}")
                if isinstance(node, ast.ClassDef):
                    visit(node.body, name + ".")

    visit(ast.parse(path.read_text()).body, "")
    return missing


def docstrings() -> bool:
    print("== doc strings", flush=True)
    missing = [entry for path in sorted(STUBS.glob("*.pyi")) for entry in undocumented(path)]
    for entry in missing:
        print(f"error: {entry} has no doc string")
    return not missing


def mypy() -> bool:
    print("== mypy over examples/ and tests/typing/", flush=True)
    args = ["--check-untyped-defs", "--warn-unused-ignores", "examples", "tests/typing"]
    return subprocess.run([sys.executable, "-m", "mypy", *args], cwd=ROOT).returncode == 0


if __name__ == "__main__":
    results = [stubtest(), docstrings(), mypy()]
    sys.exit(0 if all(results) else 1)
