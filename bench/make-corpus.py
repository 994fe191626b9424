#!/usr/bin/env python3
"""Writes the parser benchmark's statement corpus, one SELECT per line.

    make-corpus.py [count] > corpus/selects.sql

The statements look like reporting queries over a small sales schema: joins
(inner chains, outer joins, cross joins, comma lists), unions, sub-queries in
FROM, WHERE and the select list, CASE in both forms, CAST, aggregates with
GROUP BY and HAVING, ORDER BY, and long WHERE chains. Only syntax that both
the SQL-92 parser and libpg_query read is used, so the two can be timed on
the same text. The seed is fixed: the corpus is the same on every run.
"""
import random
import sys

SCHEMA = {
    "customers": ["customer_id", "name", "city", "country", "credit_limit", "created_at", "segment"],
    "orders": ["order_id", "customer_id", "employee_id", "order_date", "status", "total", "ship_city"],
    "order_items": ["order_id", "product_id", "quantity", "unit_price", "discount"],
    "products": ["product_id", "name", "category_id", "price", "stock", "discontinued"],
    "categories": ["category_id", "name", "parent_id"],
    "employees": ["employee_id", "first_name", "last_name", "manager_id", "department_id", "salary", "hired_on"],
    "departments": ["department_id", "name", "budget", "location"],
    "payments": ["payment_id", "order_id", "amount", "paid_on", "method"],
}
JOINS = [
    ("customers", "customer_id", "orders", "customer_id"),
    ("orders", "order_id", "order_items", "order_id"),
    ("order_items", "product_id", "products", "product_id"),
    ("products", "category_id", "categories", "category_id"),
    ("orders", "employee_id", "employees", "employee_id"),
    ("employees", "department_id", "departments", "department_id"),
    ("orders", "order_id", "payments", "order_id"),
]
STRINGS = ["'Berlin'", "'Paris'", "'open'", "'shipped'", "'A%'", "'%son'", "'retail'", "'O''Brien'", "'card'"]
TYPES = ["INTEGER", "DECIMAL(12, 2)", "VARCHAR(40)", "CHAR(3)", "DATE", "TIMESTAMP", "SMALLINT", "NUMERIC(8)",
         "DOUBLE PRECISION", "REAL", "CHARACTER VARYING(20)", "TIME"]
AGGREGATES = ["SUM", "AVG", "MIN", "MAX", "COUNT"]

rnd = random.Random(20240607)


def alias_of(table, used):
    base = "".join(w[0] for w in table.split("_"))
    name, n = base, 1
    while name in used:
        n += 1
        name = f"{base}{n}"
    used.add(name)
    return name


def column(sources):
    table, alias = rnd.choice(sources)
    return f"{alias}.{rnd.choice(SCHEMA[table])}"


def literal():
    r = rnd.random()
    if r < 0.45:
        return str(rnd.randint(0, 5000))
    if r < 0.6:
        return f"{rnd.randint(0, 999)}.{rnd.randint(0, 99):02d}"
    return rnd.choice(STRINGS)


def value(sources, depth=0):
    r = rnd.random()
    if r < 0.5 or depth > 2:
        return column(sources)
    if r < 0.65:
        return literal()
    if r < 0.75:
        op = rnd.choice(["+", "-", "*", "/", "||"])
        return f"{value(sources, depth + 1)} {op} {value(sources, depth + 1)}"
    if r < 0.82:
        return f"({value(sources, depth + 1)} + {literal()})"
    if r < 0.88:
        return f"CAST({column(sources)} AS {rnd.choice(TYPES)})"
    if r < 0.94:
        return f"ROUND({column(sources)}, {rnd.randint(0, 2)})"
    return f"LENGTH({column(sources)})"


def comparison(sources, depth=0):
    r = rnd.random()
    c = column(sources)
    if r < 0.45:
        return f"{c} {rnd.choice(['=', '<>', '<', '<=', '>', '>='])} {value(sources, 1)}"
    if r < 0.55:
        vals = ", ".join(literal() for _ in range(rnd.randint(2, 6)))
        return f"{c} {rnd.choice(['IN', 'NOT IN'])} ({vals})"
    if r < 0.62:
        return f"{c} {rnd.choice(['BETWEEN', 'NOT BETWEEN'])} {rnd.randint(1, 100)} AND {rnd.randint(101, 900)}"
    if r < 0.69:
        return f"{c} {rnd.choice(['LIKE', 'NOT LIKE'])} {rnd.choice(STRINGS)}" + (
            " ESCAPE '!'" if rnd.random() < 0.3 else "")
    if r < 0.76:
        return f"{c} IS {rnd.choice(['', 'NOT '])}NULL"
    if r < 0.82 and depth < 2:
        table = rnd.choice(list(SCHEMA))
        return f"{c} IN (SELECT {rnd.choice(SCHEMA[table])} FROM {table} WHERE {rnd.choice(SCHEMA[table])} > {rnd.randint(1, 99)})"
    if r < 0.87 and depth < 2:
        table = rnd.choice(list(SCHEMA))
        return (f"EXISTS (SELECT * FROM {table} x WHERE x.{rnd.choice(SCHEMA[table])} = {c})")
    if r < 0.91 and depth < 2:
        table = rnd.choice(list(SCHEMA))
        return f"{c} {rnd.choice(['>', '<', '=', '<>'])} {rnd.choice(['ALL', 'ANY', 'SOME'])} (SELECT {rnd.choice(SCHEMA[table])} FROM {table})"
    if r < 0.96:
        return f"NOT {c} = {literal()}"
    return f"({comparison(sources, depth + 1)} OR {comparison(sources, depth + 1)})"


def condition(sources, terms):
    parts = [comparison(sources) for _ in range(terms)]
    out = parts[0]
    for p in parts[1:]:
        out += f" {'AND' if rnd.random() < 0.8 else 'OR'} {p}"
    return out


def from_clause(max_joins):
    used = set()
    start = rnd.choice(list(SCHEMA))
    sources = [(start, alias_of(start, used))]
    text = f"{start} {sources[0][1]}"
    for _ in range(rnd.randint(0, max_joins)):
        links = [j for j in JOINS if j[0] in [s[0] for s in sources] or j[2] in [s[0] for s in sources]]
        if not links:
            break
        a, ac, b, bc = rnd.choice(links)
        known = [s for s in sources if s[0] == a]
        if known:
            left, new, lc, nc = known[-1], b, ac, bc
        else:
            left, new, lc, nc = [s for s in sources if s[0] == b][-1], a, bc, ac
        alias = alias_of(new, used)
        kind = rnd.choice(["JOIN", "INNER JOIN", "LEFT JOIN", "LEFT OUTER JOIN", "RIGHT OUTER JOIN",
                           "FULL OUTER JOIN", "INNER JOIN"])
        text += f" {kind} {new} {'AS ' if rnd.random() < 0.3 else ''}{alias} ON {left[1]}.{lc} = {alias}.{nc}"
        if rnd.random() < 0.2:
            text += f" AND {alias}.{rnd.choice(SCHEMA[new])} IS NOT NULL"
        sources.append((new, alias))
    if rnd.random() < 0.08:
        other = rnd.choice(list(SCHEMA))
        alias = alias_of(other, used)
        text += f"{rnd.choice([', ', ' CROSS JOIN '])}{other} {alias}"
        sources.append((other, alias))
    return text, sources


def select_item(sources):
    r = rnd.random()
    if r < 0.55:
        return column(sources) + (f" AS {rnd.choice(['v', 'amount', 'label', 'k'])}{rnd.randint(1, 9)}" if rnd.random() < 0.3 else "")
    if r < 0.7:
        return value(sources) + f" AS x{rnd.randint(1, 99)}"
    if r < 0.82:
        whens = " ".join(f"WHEN {comparison(sources, 2)} THEN {literal()}" for _ in range(rnd.randint(1, 3)))
        return f"CASE {whens} ELSE {literal()} END AS bucket{rnd.randint(1, 9)}"
    if r < 0.9:
        c = column(sources)
        whens = " ".join(f"WHEN {literal()} THEN {literal()}" for _ in range(rnd.randint(1, 3)))
        return f"CASE {c} {whens} END"
    if r < 0.95:
        table = rnd.choice(list(SCHEMA))
        return f"(SELECT MAX({rnd.choice(SCHEMA[table])}) FROM {table}) AS top{rnd.randint(1, 9)}"
    return f"CAST({column(sources)} AS {rnd.choice(TYPES)}) AS c{rnd.randint(1, 9)}"


def query_block(max_joins=3, where_terms=(0, 4), grouped=None):
    frm, sources = from_clause(max_joins)
    grouped = rnd.random() < 0.3 if grouped is None else grouped
    if grouped:
        keys = [column(sources) for _ in range(rnd.randint(1, 3))]
        aggs = []
        for _ in range(rnd.randint(1, 3)):
            agg = rnd.choice(AGGREGATES)
            if agg == "COUNT" and rnd.random() < 0.5:
                aggs.append("COUNT(*)")
            else:
                aggs.append(f"{agg}({'DISTINCT ' if rnd.random() < 0.15 else ''}{column(sources)})")
        items = keys + [f"{a} AS agg{i}" for i, a in enumerate(aggs)]
    else:
        items = [select_item(sources) for _ in range(rnd.randint(1, 6))]
        if rnd.random() < 0.05:
            items = ["*"]
        elif rnd.random() < 0.05:
            items = [f"{sources[0][1]}.*"] + items[:2]
    text = f"SELECT {'DISTINCT ' if rnd.random() < 0.1 else ''}{', '.join(items)} FROM {frm}"
    terms = rnd.randint(*where_terms)
    if terms:
        text += f" WHERE {condition(sources, terms)}"
    if grouped:
        text += f" GROUP BY {', '.join(keys)}"
        if rnd.random() < 0.4:
            text += f" HAVING {aggs[0]} > {rnd.randint(1, 500)}"
    return text, sources


def statement():
    r = rnd.random()
    if r < 0.12:
        parts = [query_block(2, (0, 2), grouped=False)[0] for _ in range(rnd.randint(2, 3))]
        ncols = None
        # Union operands need equal column counts: rebuild with one column each.
        parts = []
        for _ in range(rnd.randint(2, 4)):
            frm, sources = from_clause(1)
            text = f"SELECT {column(sources)}, {column(sources)} FROM {frm}"
            if rnd.random() < 0.6:
                text += f" WHERE {condition(sources, rnd.randint(1, 2))}"
            parts.append(f"({text})" if rnd.random() < 0.25 else text)
        out = parts[0]
        for p in parts[1:]:
            out += f" {rnd.choice(['UNION', 'UNION ALL', 'UNION', 'EXCEPT', 'INTERSECT'])} {p}"
        if rnd.random() < 0.5:
            out += " ORDER BY 1" + (" DESC" if rnd.random() < 0.5 else "")
        return out
    if r < 0.2:
        inner, sources = query_block(2, (1, 3), grouped=True)
        return f"SELECT d.* FROM ({inner}) d WHERE d.agg0 > {rnd.randint(1, 100)} ORDER BY d.agg0 DESC"
    if r < 0.27:
        frm, sources = from_clause(1)
        return f"SELECT {column(sources)} FROM {frm} WHERE {condition(sources, rnd.randint(12, 40))}"
    text, sources = query_block(rnd.choice([1, 2, 3, 5]))
    if rnd.random() < 0.35:
        order = ", ".join(column(sources) + rnd.choice(["", " ASC", " DESC"]) for _ in range(rnd.randint(1, 3)))
        text += f" ORDER BY {order}"
    return text


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 5000
    for _ in range(count):
        print(statement())


if __name__ == "__main__":
    main()
