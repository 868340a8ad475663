"""The markdown report of a search benchmark's results file: the export of every public file,
the searches of the E. coli run, and speed, memory and identifications on generated runs, with
each target checked against the measured figures."""

import json

OURS = "ostrand-export"
PEAK_PICKING = "msconvert peak picking"
PIPELINE = "msconvert comparable pipeline"
FALLBACK = PIPELINE + ", 100 survey peaks"


FALLBACK_NOTE = (
    "\nThe comparable pipeline as given (peakPicking, threshold absolute 0, turbocharger, MS2Deisotope) stops "
    "with msconvert's charge finder refusing a precursor window of more than 40 survey peaks; "
    "local maxima of the counting noise on profile TOF survey scans give that many. The row below it adds "
    "`threshold count 100 most-intense 1` (the 100 most intense peaks of each survey scan kept, MS/MS "
    "untouched) so that the pipeline completes; its figures stand for the comparable pipeline in the targets.\n")


def load(path):
    with open(path, encoding="utf-8") as text:
        return [json.loads(line) for line in text if line.strip()]


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows]
    return "\n".join(lines) + "\n"


def share(part, whole):
    return f"{part} ({100 * part / whole:.1f} %)" if whole else str(part)


def conformance_section(records):
    rows = []
    for r in records:
        ours, theirs = r.get("ours"), r.get("msconvert")
        rows.append([r["file"], "ok" if r["import_status"] == "0" else f"exit {r['import_status']}",
                     {"0": "ok", "3": "nothing to search"}.get(r["export_status"], f"exit {r['export_status']}"),
                     ours["spectra"] if ours else "-", ours["blocks"] if ours else "-",
                     theirs["spectra"] if theirs else "-", r["message"] or ""])
    return ("## Every public acquisition: import and export\n\n" + table(
        ["File", "vesk import", "ostrand-export", "Queries (spectra)", "Blocks", "msconvert spectra", "Note"],
        rows) + "\nQueries count distinct titles; a spectrum whose charge is unknown has one block per default "
        "charge. Our export sums product scans of one precursor, so it can have fewer queries than msconvert.\n")


def search_rows(records, with_truth):
    rows = []
    for r in records:
        row = [r["dataset"], r["peaklist"], r["spectra"], r["accepted"],
               f"{r['evalue_below_0.01']} / {r['decoys_below_0.01']}"]
        if with_truth:
            row += [share(r["identified_scans"], r["truth_scans"]), r["wrong_accepted"]]
        rows.append(row)
    return rows


def timing_rows(timings, runs):
    rows = []
    for t in timings:
        run = runs.get(t["dataset"], {})
        if t["status"] != "0":
            rows.append([t["dataset"], run.get("product_scans", "-"), t["tool"], t["runs"],
                         f"failed: {t['message']}", "", "", ""])
            continue
        rows.append([t["dataset"], run.get("product_scans", "-"), t["tool"], t["runs"], f"{t['wall_s']:.2f}",
                     f"{t['cpu_s']:.2f}", f"{t['scans_per_s']:.0f}" if t["scans_per_s"] else "-",
                     f"{t['peak_rss_mb']:.1f}"])
    return rows


def ratio_check(text, value, target, higher_is_better=True):
    met = value >= target if higher_is_better else value <= target
    return [text, f"{value:.2f}", f"{target:g}", "met" if met else "missed"]


def target_rows(timings, searches, runs, recalls):
    rows = []
    by = {(t["dataset"], t["tool"]): t for t in timings if t["status"] == "0"}
    for dataset in runs:
        ours, picking = by.get((dataset, OURS)), by.get((dataset, PEAK_PICKING))
        pipeline_label = PIPELINE if (dataset, PIPELINE) in by else FALLBACK
        pipeline = by.get((dataset, pipeline_label))
        if ours and picking:
            rows.append(ratio_check(f"{dataset}: wall time, msconvert peak picking / ours (at least 2)",
                                    picking["wall_s"] / ours["wall_s"], 2))
            rows.append(ratio_check(f"{dataset}: the same in CPU time", picking["cpu_s"] / ours["cpu_s"], 2))
        if ours and pipeline:
            rows.append(ratio_check(f"{dataset}: wall time, {pipeline_label} / ours (at least 5)",
                                    pipeline["wall_s"] / ours["wall_s"], 5))
            rows.append(ratio_check(f"{dataset}: the same in CPU time", pipeline["cpu_s"] / ours["cpu_s"], 5))
        found = {s["peaklist"]: s["identified_scans"] for s in searches if s["dataset"] == dataset}
        for other in (PEAK_PICKING, pipeline_label):
            if found.get(OURS) is not None and found.get(other):
                rows.append(ratio_check(f"{dataset}: scans identified, ours / {other} (at least 1.05)",
                                        found[OURS] / found[other], 1.05))
    for r in recalls:
        if r["peaklist"] == OURS and r["recall"] is not None:
            rows.append(ratio_check(f"{r['dataset']}: true monoisotopic fragments in our peak lists (at least 0.80)",
                                    r["recall"], 0.8))
    ours = sorted((t for t in timings if t["tool"] == OURS and t["status"] == "0"),
                  key=lambda t: runs[t["dataset"]]["minutes"])
    if len(ours) >= 2:
        rows.append(ratio_check(f"peak memory, {ours[-1]['dataset']} / {ours[0]['dataset']} (at most 1.1)",
                                ours[-1]["peak_rss_mb"] / ours[0]["peak_rss_mb"], 1.1, higher_is_better=False))
    return rows


def markdown(path, machine=""):
    records = load(path)
    kind = {k: [r for r in records if r["kind"] == k] for k in ("conformance", "search", "timing", "run", "recall")}
    runs = {r["dataset"]: r for r in kind["run"]}
    public = [s for s in kind["search"] if "truth_scans" not in s]
    generated = [s for s in kind["search"] if "truth_scans" in s]
    out = ["# Search benchmark: our query files and msconvert's peak lists under Comet\n"]
    if machine:
        out.append(machine.strip() + "\n")
    if kind["conformance"]:
        out.append(conformance_section(kind["conformance"]))
    if public:
        out.append("## Public data-dependent run with its FASTA\n\n" + table(
            ["Data", "Peak list", "Spectra", "PSMs at 1 % FDR", "Targets / decoys at e < 0.01"],
            search_rows(public, False)) + "\nPSMs count spectra (best match over the charges tried); "
            "FDR by target-decoy competition on the database's rev_ decoys.\n")
    if kind["run"]:
        out.append("## Generated TOF runs (profile, data-dependent)\n\n" + table(
            ["Run", "Minutes", "Seed", "Survey scans", "Product scans"],
            [[r["dataset"], r["minutes"], r["seed"], r["survey_scans"], r["product_scans"]]
             for r in kind["run"]]))
    if kind["timing"]:
        out.append("\n### Speed and memory, default parameters\n\n" + table(
            ["Run", "Product scans", "Program", "Runs", "Wall s (median)", "CPU s (median)", "MS/MS scans/s (wall)",
             "Peak RSS MB"], timing_rows(kind["timing"], runs)) +
            "\nOurs reads the Vesk file; msconvert reads the same acquisition converted to mzML and writes its peak "
            "list as mzML.\n" +
            (FALLBACK_NOTE if any(t["tool"] == FALLBACK for t in kind["timing"]) else ""))
    if generated:
        out.append("\n### Identifications against the ground truth\n\n" + table(
            ["Run", "Peak list", "Spectra", "PSMs at 1 % FDR", "Targets / decoys at e < 0.01",
             "Product scans identified, right peptide", "Accepted PSMs with a wrong peptide"],
            search_rows(generated, True)) + "\nA product scan counts as identified when a spectrum it went into "
            "is accepted at 1 % FDR with its own peptide (I = L). Runs marked \"charges recorded\" carry the "
            "instrument's precursor charge on every product scan (in the Vesk file and the mzML); the others do not. "
            "The row with precursor tolerance 0.05 is not a target: it shows how many scans the default tolerance "
            "of 1 m/z loses by summing product scans of different peptides of the same charge into one query.\n")
    if kind["recall"]:
        out.append("\n### True fragments in the peak lists\n\n" + table(
            ["Run", "Peak list", "True fragments", "Found", "Recall", "Peaks listed", "Share of true fragments"],
            [[r["dataset"], r["peaklist"], r["fragments"], r["fragments_found"], f"{r['recall']:.3f}", r["peaks"],
              f"{r['true_share']:.3f}"] for r in kind["recall"]]) +
            "\nTrue fragments are the monoisotopic m/z of the fragments the generator lists for the product scans "
            "behind each spectrum (those of at least one count); a listed peak within 20 ppm of one finds it.\n")
    targets = target_rows(kind["timing"], generated, runs, kind["recall"])
    if targets:
        out.append("\n## Targets\n\n" + table(["Target", "Measured", "Target", "Result"], targets))
    return "\n".join(out)
