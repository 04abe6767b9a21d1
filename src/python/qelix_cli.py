"""The `qelix` command: run, draw, convert and describe OpenQASM 2.0 files.

Installed beside the extension module as the console script `qelix` (`python -m qelix_cli`
works too). Exit status: 0 on success, 1 for a file that cannot be read, parsed or run, 2 for
bad command-line arguments.
"""

from __future__ import annotations

import argparse
import json
import re
import sys
from collections import Counter
from typing import Optional, Sequence

import qelix

EXIT_INPUT = 1
EXIT_USAGE = 2
MAX_SHOTS = 2**32 - 1
MAX_SEED = 2**64 - 1


class InputError(Exception):
    """A file that cannot be read, parsed or run; the message names the file."""


def bounded_int(low: int, high: int):
    """An argparse type: a decimal integer in [low, high]."""

    def parse(text: str) -> int:
        try:
            value = int(text, 10)
        except ValueError:
            raise argparse.ArgumentTypeError(f"expected an integer, got '{text}'") from None
        if not low <= value <= high:
            raise argparse.ArgumentTypeError(f"must be between {low} and {high}, got {value}")
        return value

    return parse


def noise_model(text: str) -> qelix.NoiseModel:
    """An argparse type: ideal, ibm, ionq or uniform:P1,P2,PR with probabilities in [0, 1]."""
    named = {"ideal": qelix.NoiseModel.ideal, "ibm": qelix.NoiseModel.ibm, "ionq": qelix.NoiseModel.ionq}
    if text in named:
        return named[text]()
    kind, _, rest = text.partition(":")
    parts = rest.split(",")
    if kind != "uniform" or len(parts) != 3:
        raise argparse.ArgumentTypeError(
            f"expected ideal, ibm, ionq or uniform:P1,P2,PR (one-qubit, two-qubit and readout error), got '{text}'"
        )
    try:
        rates = [float(p) for p in parts]
    except ValueError:
        raise argparse.ArgumentTypeError(f"uniform error rates must be numbers, got '{rest}'") from None
    if not all(0.0 <= r <= 1.0 for r in rates):
        raise argparse.ArgumentTypeError(f"uniform error rates must lie in [0, 1], got '{rest}'")
    return qelix.NoiseModel.uniform(*rates)


def display_name(path: str) -> str:
    return "<stdin>" if path == "-" else path


def load(path: str) -> qelix.Circuit:
    """The circuit of an OpenQASM file (`-` is standard input)."""
    name = display_name(path)
    try:
        if path == "-":
            source = sys.stdin.read()
        else:
            with open(path, encoding="utf-8") as f:
                source = f.read()
    except OSError as error:
        raise InputError(f"cannot read {name}: {error.strerror or error}") from None
    except UnicodeDecodeError as error:
        raise InputError(f"{name} is not UTF-8 text (byte {error.start})") from None
    try:
        return qelix.parse_qasm(source)
    except ValueError as error:
        raise InputError(f"{name}: {error}") from None


def run(args: argparse.Namespace) -> None:
    circuit = load(args.file)
    # A circuit without measurements is sampled on every qubit (key character i = qubit i).
    simulator = qelix.Simulator(seed=args.seed, noise=args.noise, backend=args.backend)
    try:
        result = simulator.run(circuit, args.shots)
    except ValueError as error:
        raise InputError(f"{display_name(args.file)}: {error}") from None
    if args.json:
        rows = result.histogram_data()
        counts = {state: count for state, count, _ in rows}
        report = {"file": args.file, "shots": result.total_shots, "seed": args.seed, "counts": counts}
        print(json.dumps(report))
    else:
        result.histogram()


def draw(args: argparse.Namespace) -> None:
    circuit = load(args.file)
    print(circuit.draw_svg() if args.svg else circuit.draw())


def convert(args: argparse.Namespace) -> None:
    print(load(args.file).to_qasm())


#: A statement of qelix's own OpenQASM output, or the comment it writes for a gate without a
#: standard form ("// unsupported gate SX on [0]"): group 1 or group 2 is the kind.
STATEMENT = re.compile(r"^(?:if\(\w+==\d+\)\s*)?([a-z]\w*)|^// (?:if\(\w+==\d+\) )?unsupported gate (\S+)")
HEADER = {"OPENQASM", "include", "qreg", "creg"}


def instruction_counts(circuit: qelix.Circuit) -> Counter:
    """How often each kind of instruction occurs, by its OpenQASM name."""
    counts: Counter = Counter()
    for line in circuit.to_qasm().splitlines():
        match = STATEMENT.match(line)
        if match and (match.group(1) or match.group(2)) not in HEADER:
            counts[match.group(1) or match.group(2)] += 1
    return counts


def info(args: argparse.Namespace) -> None:
    circuit = load(args.file)
    counts = instruction_counts(circuit)
    summary = {
        "file": args.file,
        "qubits": circuit.num_qubits,
        "classical_bits": circuit.num_classical_bits,
        "gates": circuit.gate_count,
        "depth": circuit.depth,
        "counts": dict(sorted(counts.items(), key=lambda kv: (-kv[1], kv[0]))),
    }
    if args.json:
        print(json.dumps(summary))
        return
    for key in ("file", "qubits", "classical_bits", "gates", "depth"):
        print(f"{key.replace('_', ' ') + ':':<16}{summary[key]}")
    print("instructions:")
    for kind, count in summary["counts"].items():
        print(f"  {kind:<14}{count}")


def parser() -> argparse.ArgumentParser:
    top = argparse.ArgumentParser(prog="qelix", description="Run, draw, convert and describe OpenQASM 2.0 files.")
    top.add_argument("--version", action="version", version=f"qelix {qelix.__version__}")
    commands = top.add_subparsers(dest="command", required=True, metavar="COMMAND")

    def command(name: str, handler, help: str) -> argparse.ArgumentParser:
        sub = commands.add_parser(name, help=help, description=help)
        sub.add_argument("file", metavar="FILE", help="an OpenQASM 2.0 file, or - for standard input")
        sub.set_defaults(handler=handler)
        return sub

    run_cmd = command("run", run, "simulate a circuit and print its counts")
    run_cmd.add_argument("--shots", type=bounded_int(1, MAX_SHOTS), default=1000, help="number of shots (1000)")
    run_cmd.add_argument("--seed", type=bounded_int(0, MAX_SEED), help="seed for repeatable counts")
    run_cmd.add_argument("--noise", type=noise_model, metavar="MODEL", help="ideal, ibm, ionq or uniform:P1,P2,PR")
    run_cmd.add_argument("--backend", choices=("statevector", "mps", "auto"), default="statevector")
    run_cmd.add_argument("--json", action="store_true", help="print the counts as one JSON object")
    draw_cmd = command("draw", draw, "print the circuit diagram")
    draw_cmd.add_argument("--svg", action="store_true", help="print an SVG drawing instead of text")
    command("convert", convert, "print the circuit as normalised OpenQASM 2.0")
    info_cmd = command("info", info, "print qubits, gates, depth and instruction counts")
    info_cmd.add_argument("--json", action="store_true", help="print the summary as one JSON object")
    return top


def main(argv: Optional[Sequence[str]] = None) -> int:
    args = parser().parse_args(argv)
    try:
        args.handler(args)
    except InputError as error:
        print(f"qelix: {error}", file=sys.stderr)
        return EXIT_INPUT
    except BrokenPipeError:
        # A reader such as `head` closed the pipe: nothing left to say.
        sys.stderr.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
