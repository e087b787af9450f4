"""Shared helpers of the table generators: reading the TSV data files,
reporting broken rows, and writing fixed-width C++ cell arrays."""
import sys


class TableError(Exception):
    pass


def fail(table, row, rule):
    """Raise a build error naming the table, the row and the rule broken."""
    where = f"{table} row {row}" if row is not None else table
    raise TableError(f"{where}: {rule}")


def read_tsv(path):
    """Rows of a TSV file as dicts keyed by the header line.  Lines starting
    with '#' and blank lines are comments.  Each dict carries '_line', the
    line number in the file, for error messages."""
    header = None
    rows = []
    with open(path, encoding="utf-8") as f:
        for lineno, raw in enumerate(f, 1):
            line = raw.rstrip("\n").rstrip("\r")
            if not line.strip() or line.startswith("#"):
                continue
            cells = line.split("\t")
            if header is None:
                header = cells
                continue
            if len(cells) != len(header):
                fail(path, lineno, f"expected {len(header)} tab-separated cells, found {len(cells)}")
            row = dict(zip(header, cells))
            row["_line"] = lineno
            rows.append(row)
    if header is None:
        fail(path, None, "no header line")
    return rows


def c_string(text):
    """A C string literal for text (printable ASCII only in the tables)."""
    out = []
    for ch in text:
        if ch in '"\\':
            out.append("\\" + ch)
        elif " " <= ch <= "~":
            out.append(ch)
        else:
            raise TableError(f"non-printable character {ch!r} in cell {text!r}")
    return '"' + "".join(out) + '"'


def cell_array(name, width, cells, per_line=8):
    """Definition of `const char name[len(cells)][width]` (each cell NUL-padded)."""
    for i, c in enumerate(cells):
        if len(c) >= width:
            fail(name, i, f"cell {c!r} does not fit width {width} with its NUL")
    lines = [f"const char {name}[{len(cells)}][{width}] = {{"]
    for i in range(0, len(cells), per_line):
        lines.append("    " + ", ".join(c_string(c) for c in cells[i:i + per_line]) + ",")
    lines.append("};")
    return "\n".join(lines)


def write_if_changed(path, text):
    """Write only when the content differs, so unchanged tables do not rebuild."""
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main_guard(fn):
    try:
        fn()
    except TableError as e:
        print(f"table error: {e}", file=sys.stderr)
        sys.exit(1)
