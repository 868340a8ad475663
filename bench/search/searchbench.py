#!/usr/bin/env python3
"""Steps of the search benchmark that run.sh calls: Comet and X!Tandem parameter files, the
target-decoy database, peak lists written as numbered MS2 and BEGIN IONS text files for the search engines,
scoring searches at 1 % FDR (and against the ground truth of generated runs), timings, and the
markdown table of all figures.

Every step that measures something appends one JSON object to the results file (one per line),
so a run that stops half-way keeps what it had measured."""

import argparse
import json
import random
import re
import statistics
import sys
from xml.sax.saxutils import escape, quoteattr

import groundtruth
import peaklists
import report
import targetdecoy

# Comet settings per kind of data, applied over the defaults that `comet-ms -p` writes.
COMET_PRESETS = {
    # Ion-trap MS/MS of the public E. coli run, as its data folder describes the reference search.
    "iontrap": {
        "decoy_search": "0", "decoy_prefix": "rev_", "peptide_mass_tolerance": "10", "peptide_mass_units": "2",
        "isotope_error": "1", "search_enzyme_number": "1", "allowed_missed_cleavage": "2",
        "add_C_cysteine": "57.021464", "variable_mod01": "15.9949 M 0 3 -1 0 0 0.0",
        "fragment_bin_tol": "1.0005", "fragment_bin_offset": "0.4", "theoretical_fragment_ions": "1",
    },
    # High-resolution TOF MS/MS of generated runs: the generator's chemistry is a tryptic digest
    # with at most one missed cleavage, carbamidomethylated cysteines and no variable modification;
    # heavy precursors are isolated on their second isotope.
    "tof": {
        "decoy_search": "0", "decoy_prefix": "rev_", "peptide_mass_tolerance": "20", "peptide_mass_units": "2",
        "isotope_error": "1", "search_enzyme_number": "1", "allowed_missed_cleavage": "1",
        "add_C_cysteine": "57.021464", "variable_mod01": "0.0 X 0 3 -1 0 0 0.0",
        "fragment_bin_tol": "0.02", "fragment_bin_offset": "0.0", "theoretical_fragment_ions": "0",
    },
}
# Output settings common to every search: the tab-separated result file only, the top match.
COMET_OUTPUT = {"output_txtfile": "1", "output_pepxmlfile": "0", "output_sqtfile": "0",
                "num_output_lines": "1", "num_threads": "0"}

# The generated runs' search for X!Tandem, over its own defaults for everything else (50 most intense
# peaks of a spectrum within a dynamic range of 100, noise suppression): tryptic with at most one
# missed cleavage, carbamidomethylated cysteines, no refinement or quick modifications (Comet looks
# for none), every result down to an expectation of 1 so that decoys are there to count, one thread.
TANDEM_TOF = {
    "spectrum, fragment monoisotopic mass error": "0.02",
    "spectrum, fragment monoisotopic mass error units": "Daltons",
    "spectrum, parent monoisotopic mass error plus": "20",
    "spectrum, parent monoisotopic mass error minus": "20",
    "spectrum, parent monoisotopic mass error units": "ppm",
    "spectrum, fragment mass type": "monoisotopic",
    "spectrum, maximum parent charge": "4",
    "spectrum, threads": "1",
    "residue, modification mass": "57.021464@C",
    "residue, potential modification mass": "",
    "protein, cleavage site": "[RK]|{P}",
    "protein, cleavage semi": "no",
    "protein, quick acetyl": "no",
    "protein, quick pyrolidone": "no",
    "scoring, maximum missed cleavage sites": "1",
    "scoring, include reverse": "no",
    "refine": "no",
    "output, results": "all",
    "output, maximum valid expectation value": "1",
    "output, spectra": "yes",
    "output, proteins": "yes",
    "output, sequences": "no",
    "output, histograms": "no",
    "output, path hashing": "no",
    "output, sort results by": "spectrum",
}


def write_tandem_params(database, spectra, output, destination, isotope_error):
    """X!Tandem's input file at `destination` and its taxonomy file beside it (.taxonomy.xml)."""
    taxonomy = re.sub(r"\.xml$", "", destination) + ".taxonomy.xml"
    with open(taxonomy, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0"?>\n<bioml label="x! taxon-to-file matching list">\n'
                  f'<taxon label="bench"><file format="peptide" URL={quoteattr(database)}/></taxon>\n</bioml>\n')
    notes = {**TANDEM_TOF,
             "spectrum, parent monoisotopic mass isotope error": "yes" if isotope_error else "no",
             "list path, taxonomy information": taxonomy, "protein, taxon": "bench",
             "spectrum, path": spectra, "output, path": output}
    with open(destination, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0"?>\n<bioml>\n')
        out.writelines(f'<note type="input" label={quoteattr(label)}>{escape(value)}</note>\n'
                       for label, value in notes.items())
        out.write("</bioml>\n")


def write_comet_params(template, preset, database, destination, isotope_error=1):
    with open(template, encoding="latin-1") as text:
        params = text.read()
    settings = {**COMET_PRESETS[preset], **COMET_OUTPUT, "database_name": database,
                "isotope_error": str(isotope_error)}
    for name, value in settings.items():
        params, count = re.subn(rf"^{re.escape(name)} = [^#\n]*", f"{name} = {value} ", params, flags=re.M)
        if count != 1:
            sys.exit(f"searchbench: {template} has {count} lines for the Comet parameter {name}")
    with open(destination, "w", encoding="latin-1") as out:
        out.write(params)


def read_fasta(path):
    """[(header without '>', sequence)]."""
    entries = []
    with open(path, encoding="latin-1") as text:
        for line in text:
            line = line.strip()
            if line.startswith(">"):
                entries.append([line[1:], []])
            elif line:
                if not entries:
                    sys.exit(f"searchbench: {path} has a sequence line before its first '>' header")
                entries[-1][1].append(line)
    return [(header, "".join(parts)) for header, parts in entries]


# Amino-acid frequencies of vertebrate proteomes (per cent), for background proteins.
AMINO_ACIDS = {"A": 7.0, "R": 5.6, "N": 3.6, "D": 4.7, "C": 2.3, "Q": 4.8, "E": 7.1, "G": 6.6, "H": 2.6,
               "I": 4.3, "L": 9.9, "K": 5.7, "M": 2.1, "F": 3.7, "P": 6.3, "S": 8.3, "T": 5.4, "W": 1.2,
               "Y": 2.7, "V": 6.0}


def background_proteins(count, seed=1):
    """`count` random proteins of typical composition and length (BG00001, ...): the rest of a
    proteome that a real search looks through, none of which is in the generated sample."""
    chooser = random.Random(seed)
    letters, weights = zip(*AMINO_ACIDS.items())
    return [(f"BG{index:05d} background protein", "M" + "".join(chooser.choices(letters, weights,
                                                                            k=chooser.randint(150, 700))))
            for index in range(1, count + 1)]


def write_target_decoy(source, destination, prefix="rev_", background=0):
    """The proteins of `source` and `background` background proteins, then each reversed under the
    decoy prefix."""
    proteins = read_fasta(source) + background_proteins(background)
    with open(destination, "w", encoding="latin-1") as out:
        for header, sequence in proteins:
            out.write(f">{header}\n{sequence}\n")
        for header, sequence in proteins:
            out.write(f">{prefix}{header}\n{sequence[::-1]}\n")
    return len(proteins)


def append_result(path, record):
    with open(path, "a", encoding="utf-8") as out:
        out.write(json.dumps(record) + "\n")


def score_search(args):
    titles = peaklists.ms2_titles(args.peaklist)
    matches = (targetdecoy.read_comet_txt(args.comet) if args.comet else targetdecoy.read_tandem_xml(args.tandem))
    for match in matches:
        if not 1 <= match.scan <= len(titles):
            sys.exit(f"searchbench: {args.comet or args.tandem} names spectrum {match.scan}, but {args.peaklist} "
                     f"has {len(titles)} spectra")
    best = targetdecoy.best_per_spectrum(matches, lambda scan: titles[scan - 1], args.score)
    accepted = targetdecoy.accepted_targets(best, args.decoy_prefix, args.fdr, args.score)
    record = {
        "kind": "search", "dataset": args.dataset, "peaklist": args.label,
        "engine": "Comet" if args.comet else "X!Tandem", "isotope_error": args.isotope_error,
        "spectra": len(set(titles)), "matched": len(best), "score": args.score,
        "accepted": len(accepted),
        "peptides": len({match.peptide.replace("I", "L") for match in accepted.values()}),
        "evalue_below_0.01": sum(1 for m in best.values()
                                 if m.evalue < 0.01 and not m.is_decoy(args.decoy_prefix)),
        "decoys_below_0.01": sum(1 for m in best.values() if m.evalue < 0.01 and m.is_decoy(args.decoy_prefix)),
    }
    if args.truth:
        truth = groundtruth.load_truth(args.truth)
        correct, wrong = groundtruth.identified_scans(accepted, truth)
        record.update(truth_scans=len(truth), identified_scans=len(correct), wrong_accepted=wrong,
                      truth_peptides=len({peptide.replace("I", "L") for peptide in truth.values()}),
                      identified_peptides=len(groundtruth.identified_peptides(accepted, truth)))
    append_result(args.results, record)
    print(json.dumps(record))


def record_recall(args):
    found, total, listed, true_peaks = groundtruth.fragment_recall(
        peaklists.read_peaklist(args.peaklist), groundtruth.load_fragments(args.truth))
    record = {"kind": "recall", "dataset": args.dataset, "peaklist": args.label,
              "fragments": total, "fragments_found": found, "peaks": listed, "true_peaks": true_peaks,
              "recall": found / total if total else None, "true_share": true_peaks / listed if listed else None,
              **groundtruth.query_origins(peaklists.read_peaklist(args.peaklist),
                                          groundtruth.load_precursors(args.truth))}
    append_result(args.results, record)
    print(json.dumps(record))


def record_timing(args):
    """Median wall and CPU seconds and the largest resident size over repeated runs, from lines
    of GNU time's '%e %U %S %M %x' output."""
    runs = []
    with open(args.times, encoding="utf-8") as text:
        for line in text:
            fields = line.split()
            if len(fields) == 5 and all(re.fullmatch(r"-?[0-9.]+", f) for f in fields):
                runs.append([float(f) for f in fields])
    record = {"kind": "timing", "dataset": args.dataset, "tool": args.label, "runs": len(runs),
              "status": args.status, "message": args.message, "product_scans": args.scans}
    if args.status == "0":
        if not runs or any(run[4] != 0 for run in runs):
            sys.exit(f"searchbench: {args.times} has no timing lines or a failed run")
        wall = statistics.median(run[0] for run in runs)
        record.update(wall_s=wall, cpu_s=statistics.median(run[1] + run[2] for run in runs),
                      peak_rss_mb=max(run[3] for run in runs) / 1024,
                      scans_per_s=args.scans / wall if wall > 0 else None)
    append_result(args.results, record)
    print(json.dumps(record))


def record_export(args):
    record = {"kind": "conformance", "file": args.file, "import_status": args.import_status,
              "export_status": args.export_status, "message": args.message}
    if args.peaklist:
        record["ours"] = peaklists.summarise(args.peaklist)
    if args.reference:
        record["msconvert"] = peaklists.summarise(args.reference)
    append_result(args.results, record)
    print(json.dumps(record))


def record_run(args):
    with open(args.truth, encoding="utf-8") as text:
        truth = json.load(text)
    precursors = groundtruth.load_precursors(args.truth)
    record = {"kind": "run", "dataset": args.dataset, "minutes": truth["settings"]["minutes"],
              "seed": truth["settings"]["seed"], "survey_scans": truth["surveyScanCount"],
              "product_scans": truth["productScanCount"],
              "peptides": len({peptide.replace("I", "L") for peptide, _, _ in precursors.values()}),
              "near_isobaric_pairs": len(groundtruth.near_isobaric_pairs(precursors)),
              "background_proteins": args.background,
              "sample": truth["settings"].get("sample", {})}
    append_result(args.results, record)
    print(truth["productScanCount"])


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    steps = parser.add_subparsers(dest="step", required=True)

    step = steps.add_parser("comet-params", help="write a Comet parameter file")
    step.add_argument("preset", choices=sorted(COMET_PRESETS))
    step.add_argument("database")
    step.add_argument("template", help="the file `comet-ms -p` wrote")
    step.add_argument("output")
    step.add_argument("--isotope-error", type=int, choices=(0, 1), default=1,
                      help="1 also tries the precursor one isotope peak lighter")
    step.set_defaults(run=lambda a: write_comet_params(a.template, a.preset, a.database, a.output, a.isotope_error))

    step = steps.add_parser("tandem-params", help="write an X!Tandem input file for a generated run and its "
                                                  "taxonomy file")
    step.add_argument("database")
    step.add_argument("spectra", help="the numbered text file of BEGIN IONS blocks to search")
    step.add_argument("results", help="where X!Tandem writes its results")
    step.add_argument("output")
    step.add_argument("--isotope-error", type=int, choices=(0, 1), default=1)
    step.set_defaults(run=lambda a: write_tandem_params(a.database, a.spectra, a.results, a.output, a.isotope_error))

    step = steps.add_parser("decoy-fasta", help="targets followed by reversed decoys")
    step.add_argument("fasta")
    step.add_argument("output")
    step.add_argument("--background", type=int, default=0,
                      help="random background proteins searched with the targets, as a whole proteome would be")
    step.set_defaults(run=lambda a: print(write_target_decoy(a.fasta, a.output, background=a.background)))

    step = steps.add_parser("number", help="write a query file or an mzML peak list as a numbered MS2 file "
                                           "(and BEGIN IONS text file)")
    step.add_argument("peaklist")
    step.add_argument("output")
    step.add_argument("--ion-blocks", help="the same spectra as a numbered text file of BEGIN IONS blocks")
    step.set_defaults(run=lambda a: print(len(peaklists.write_ms2(peaklists.read_peaklist(a.peaklist), a.output,
                                                                  a.ion_blocks))))

    step = steps.add_parser("score", help="PSMs at the FDR of one search of a numbered MS2 or BEGIN IONS text file")
    for name in ("--results", "--dataset", "--label", "--peaklist"):
        step.add_argument(name, required=True)
    engine = step.add_mutually_exclusive_group(required=True)
    engine.add_argument("--comet", help="Comet's .txt results")
    engine.add_argument("--tandem", help="X!Tandem's XML results")
    step.add_argument("--isotope-error", type=int, default=1, help="as the search allowed it, for the record")
    step.add_argument("--truth", help="ground truth JSON of a generated run")
    step.add_argument("--score", choices=("evalue", "xcorr"), default="evalue")
    step.add_argument("--fdr", type=float, default=0.01)
    step.add_argument("--decoy-prefix", default="rev_")
    step.set_defaults(run=score_search)

    step = steps.add_parser("recall", help="true monoisotopic fragments found in a peak list of a generated run, "
                                           "its queries that mix peptides and their precursor isotopes")
    for name in ("--results", "--dataset", "--label", "--peaklist", "--truth"):
        step.add_argument(name, required=True)
    step.set_defaults(run=record_recall)

    step = steps.add_parser("timing", help="record GNU time lines of repeated runs")
    for name in ("--results", "--dataset", "--label", "--times"):
        step.add_argument(name, required=True)
    step.add_argument("--scans", type=int, required=True, help="product scans in the acquisition")
    step.add_argument("--status", default="0", help="exit status; other than 0 records a failure")
    step.add_argument("--message", default="")
    step.set_defaults(run=record_timing)

    step = steps.add_parser("export", help="record the import and export of one public file")
    for name in ("--results", "--file", "--import-status", "--export-status"):
        step.add_argument(name, required=True)
    step.add_argument("--message", default="")
    step.add_argument("--peaklist")
    step.add_argument("--reference", help="msconvert's peak list of the same file")
    step.set_defaults(run=record_export)

    step = steps.add_parser("run", help="record a generated acquisition; prints its product scans")
    for name in ("--results", "--dataset", "--truth"):
        step.add_argument(name, required=True)
    step.add_argument("--background", type=int, required=True, help="background proteins its searches look through")
    step.set_defaults(run=record_run)

    step = steps.add_parser("table", help="markdown report of a results file")
    step.add_argument("results")
    step.add_argument("--machine", default="")
    step.set_defaults(run=lambda a: print(report.markdown(a.results, a.machine), end=""))

    args = parser.parse_args(argv)
    try:
        args.run(args)
    except (peaklists.PeakListError, targetdecoy.SearchOutputError, groundtruth.TitleError, OSError) as error:
        sys.exit(f"searchbench: {error}")


if __name__ == "__main__":
    main()
