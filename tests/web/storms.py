"""Varied storm tables for the browser tests and the measurements: US and SI runs, every unit of
both menus by number and by name, fetch- and duration-limited growth, rows that stop before the
transport, and rows that fail (a word for a number, a missing field, a math error)."""

import random

COLUMNS = ["name", "gravity", "depth", "fetch", "fetch_unit", "wind_speed", "speed_unit",
           "duration_h", "rt", "rl", "local_depth", "angle_deg", "beach_slope", "settling_velocity"]

FETCH_UNITS = ["1", "2", "3", "4", "5", "ft", "m", "miles", "km", "kml"]
SPEED_UNITS = ["1", "2", "3", "4", "5", "ft/s", "m/s", "mph", "km/h", "knots"]

# Sizes of a typical storm in each unit of the menus: fetch 10 to 200 km, wind 10 to 30 m/s.
FETCH_PER_KM = {"1": 3280, "2": 1000, "3": 0.6214, "4": 1, "5": 0.5396}
SPEED_PER_MS = {"1": 3.28, "2": 1, "3": 2.237, "4": 3.6, "5": 1.944}


def number(value, digits=4):
    return f"{value:.{digits}g}"


def unit_number(unit, names):
    return unit if unit.isdigit() else str(names.index(unit) % 5 + 1)


def storm(rng):
    """One plausible storm, as the fields of a row."""
    us = rng.random() < 0.5
    metre = 3.28 if us else 1
    fetch_unit = rng.choice(FETCH_UNITS)
    speed_unit = rng.choice(SPEED_UNITS)
    depth = rng.uniform(5, 30)
    # A short storm over a long fetch is limited by its duration.
    duration = rng.uniform(0.2, 1.5) if rng.random() < 0.3 else rng.uniform(2, 24)
    row = {
        "name": f"storm {rng.randrange(10000)}",
        "gravity": rng.choice(["32.2", "32.17"] if us else ["9.81", "9.8"]),
        "depth": number(depth * metre),
        "fetch": number(rng.uniform(10, 200) * FETCH_PER_KM[unit_number(fetch_unit, FETCH_UNITS)]),
        "fetch_unit": fetch_unit,
        "wind_speed": number(rng.uniform(10, 30) * SPEED_PER_MS[unit_number(speed_unit, SPEED_UNITS)]),
        "speed_unit": speed_unit,
        "duration_h": number(duration),
        "rt": number(rng.uniform(1, 1.2), 3),
        "rl": number(rng.uniform(1, 1.5), 3),
        "local_depth": number(rng.uniform(0.3, 0.9) * depth * metre),
        "angle_deg": number(rng.uniform(-60, 60), 3),
        "beach_slope": rng.choice(["", "0.005", "0.01", "0.03"]),
        "settling_velocity": "" if rng.random() < 0.1 else number(rng.uniform(1, 10), 3),
    }
    return row


# Faults put into some rows: each turns a plausible storm into a row with an error.
def fault_word(row, rng):
    row[rng.choice(["depth", "fetch", "wind_speed", "rt"])] = rng.choice(["abc", "1.2.3", "ten", "--1"])


def fault_math(row, rng):
    choice = rng.randrange(3)
    if choice == 0:
        row["angle_deg"] = rng.choice(["90", "-90", "120"])
    elif choice == 1:
        row["gravity"] = "30"
    else:
        row["local_depth"] = "0"


def fault_unit(row, rng):
    row["fetch_unit"] = rng.choice(["0", "6", "furlong"])


def fault_missing(row, rng):
    row["_short"] = True


# Spellings of the same numbers that the console reads: exponents, a D exponent, blanks around.
def spelling(row, rng):
    field = rng.choice(["depth", "duration_h", "rt", "local_depth"])
    value = float(row[field])
    row[field] = rng.choice([f"{value:.4E}", f"{value:.4e}".replace("e", "D"), f" {row[field]} ",
                             f"+{row[field]}"])


def varied_storms(count, seed):
    rng = random.Random(seed)
    rows = []
    for _ in range(count):
        row = storm(rng)
        draw = rng.random()
        if draw < 0.04:
            fault_word(row, rng)
        elif draw < 0.07:
            fault_math(row, rng)
        elif draw < 0.08:
            fault_unit(row, rng)
        elif draw < 0.09:
            fault_missing(row, rng)
        elif draw < 0.25:
            spelling(row, rng)
        if rng.random() < 0.05:
            row["name"] = f'storm "{rng.randrange(100)}", from the north'
        rows.append(row)
    return rows


def csv_field(text):
    if any(c in text for c in ',"\r\n'):
        return '"' + text.replace('"', '""') + '"'
    return text


def table_text(rows, line_end="\n"):
    lines = [",".join(COLUMNS)]
    for row in rows:
        fields = [csv_field(row[name]) for name in COLUMNS]
        if row.get("_short"):
            fields = fields[:-3]
        lines.append(",".join(fields))
    return line_end.join(lines) + line_end


def long_table(path, size, seed=8):
    """Writes a table of at least `size` bytes to `path`: a block of varied storms repeated, so
    that the result is the block's result rows repeated. Returns the block's text and the count
    of times it is repeated."""
    header, _, block = table_text(varied_storms(2000, seed)).partition("\n")
    repeats = -(-(size - len(header) - 1) // len(block))
    with open(path, "w") as table:
        table.write(header + "\n")
        for _ in range(repeats):
            table.write(block)
    return header + "\n" + block, repeats


def wide_table(path, columns, rows=20, seed=9):
    """Writes a table of `columns` columns to `path`: the storm columns and as many carried ones,
    each row a varied storm with short carried fields."""
    rng = random.Random(seed)
    carried = columns - len(COLUMNS)
    with open(path, "w") as table:
        table.write(",".join(COLUMNS + [f"note{i}" for i in range(carried)]) + "\n")
        for _ in range(rows):
            row = storm(rng)
            notes = [str(rng.randrange(1000)) for _ in range(carried)]
            table.write(",".join([csv_field(row[name]) for name in COLUMNS] + notes) + "\n")
