"""Notebook and plotting forms of qelix results, imported by the extension on first use.

`QuantumResult._repr_html_` and `QuantumResult.plot` call into this module; Matplotlib is
needed only by `plot` (the `plot` extra).
"""

from __future__ import annotations

import html
from typing import Any, List, Optional, Tuple

#: Rows a notebook table shows before summarising the rest.
TABLE_ROWS = 32
BAR_COLOUR = "#3b73d9"
BAR_PIXELS = 160


def result_html(result: Any) -> str:
    """An HTML table of the most frequent outcomes with a bar for each."""
    rows = result.histogram_data()
    shots = result.total_shots
    top = rows[0][1] if rows else 1
    lines = [
        '<div class="qelix-result">',
        f"<p><b>QuantumResult</b>: {shots} shots, {len(rows)} outcomes (bit 0 is the leftmost character)</p>",
        '<table><thead><tr><th style="text-align:left">outcome</th><th>count</th><th>probability</th>'
        "<th></th></tr></thead><tbody>",
    ]
    for state, count, probability in rows[:TABLE_ROWS]:
        width = max(1, round(BAR_PIXELS * count / top))
        lines.append(
            f'<tr><td style="text-align:left"><code>{html.escape(state) or "&nbsp;"}</code></td>'
            f"<td>{count}</td><td>{probability:.1%}</td>"
            f'<td style="text-align:left"><div style="background:{BAR_COLOUR};width:{width}px;height:0.9em">'
            "</div></td></tr>"
        )
    if len(rows) > TABLE_ROWS:
        rest = sum(count for _, count, _ in rows[TABLE_ROWS:])
        lines.append(
            f'<tr><td colspan="4" style="text-align:left">&hellip; {len(rows) - TABLE_ROWS} more outcomes '
            f"({rest} shots)</td></tr>"
        )
    lines.append("</tbody></table></div>")
    return "\n".join(lines)


def chosen_rows(result: Any, top: int) -> List[Tuple[str, int, float]]:
    """The `top` most frequent outcomes, in outcome order."""
    if not isinstance(top, int) or isinstance(top, bool):
        raise TypeError(f"argument 'top': expected an int, got {type(top).__name__}")
    if top < 1:
        raise ValueError(f"argument 'top' must be at least 1, got {top}")
    return sorted(result.histogram_data()[:top])


def plot(result: Any, ax: Optional[Any] = None, top: int = 32, title: Optional[str] = None) -> Any:
    """A bar chart of the counts of the `top` most frequent outcomes; returns the figure."""
    try:
        import matplotlib.pyplot as pyplot
        from matplotlib.axes import Axes
    except ImportError:
        raise ImportError(
            "QuantumResult.plot() needs Matplotlib: install it with pip install 'qelix[plot]'"
        ) from None
    rows = chosen_rows(result, top)
    if ax is not None and not isinstance(ax, Axes):
        raise TypeError(f"argument 'ax': expected a Matplotlib Axes or None, got {type(ax).__name__}")
    if title is not None and not isinstance(title, str):
        raise TypeError(f"argument 'title': expected a str or None, got {type(title).__name__}")
    if ax is None:
        figure = pyplot.figure(figsize=(max(4.0, 0.45 * len(rows) + 1.5), 3.2), layout="constrained")
        # Closed at once: a notebook shows the returned figure once, a script saves or shows it.
        pyplot.close(figure)
        ax = figure.add_subplot()
    states = [state or "(none)" for state, _, _ in rows]
    bars = ax.bar(range(len(rows)), [count for _, count, _ in rows], color=BAR_COLOUR)
    ax.set_xticks(range(len(rows)), states, rotation=90 if len(rows) > 8 or len(states[0]) > 6 else 0,
                  fontfamily="monospace")
    if len(rows) <= 16:
        ax.bar_label(bars, labels=[f"{p:.1%}" for _, _, p in rows], fontsize=8)
    ax.set_xlabel("outcome (bit 0 first)")
    ax.set_ylabel("count")
    ax.set_title(title if title is not None else f"{result.total_shots} shots")
    ax.margins(y=0.15)
    return ax.figure
