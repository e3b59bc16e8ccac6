"""Gathers the per-report CSVs of a sweep into one summary CSV: the parameters of each
report (those of its metacommunity and seed taken from its path) with its species
richness (the sum of the means of the table of species with n individuals) and the
mean share of the most abundant species (rank 1, percent of J).

    python3 summarize.py SUMMARY.csv REPORT.csv...
"""
import csv
import math
import re
import sys

FIELDS = ["meta_theta", "meta_J", "meta_runs", "J", "D", "m", "cycles", "simulations", "seed",
          "richness", "rank1_percent", "report"]


def parameters_from_path(path):
    found = dict(re.findall(r"([A-Za-z]+)=([^_/]+)", path))
    return {"meta_theta": found["theta"], "meta_J": re.search(r"theta=[^/]*_J=([^_/]+)", path).group(1),
            "meta_runs": found["runs"], "seed": found["seed"]}


def summarize(path):
    with open(path, newline="") as handle:
        rows = list(csv.DictReader(handle))
    if not rows:
        raise SystemExit(f"summarize: {path} holds no rows (a report of no simulations)")
    first = rows[0]
    richness = math.fsum(float(row["mean"]) for row in rows if row["table"] == "individuals")
    rank1 = next((row["mean"] for row in rows if row["table"] == "rank" and row["x"] == "1"), "NaN")
    summary = parameters_from_path(path)
    summary.update({"J": first["J"], "D": first["D"], "m": first["m"], "cycles": first["icycles"],
                    "simulations": first["nruns"], "richness": f"{richness:.6f}",
                    "rank1_percent": rank1, "report": path.replace("report.csv", "report.txt")})
    return summary


def main():
    output, inputs = sys.argv[1], sys.argv[2:]
    summaries = [summarize(path) for path in inputs]
    with open(output, "w", newline="") as handle:
        writer = csv.DictWriter(handle, fieldnames=FIELDS, lineterminator="\n")
        writer.writeheader()
        writer.writerows(summaries)


if __name__ == "__main__":
    main()
