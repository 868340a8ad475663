#!/usr/bin/env python3
"""One acquisition of the workflow: imported into a Vesk file where needed (vesk import), exported to
a Sorvex query file (ostrand-export) and, when asked, submitted to the search server. Records one
summary row: file, samples, spectra written, seconds, exit status.

The row appears only when the file is finished (written to a temporary name, then renamed), so that
an interrupted run redoes this file and no other. Exit status 0 (written) and 3 (no valid spectra:
nothing to search) finish the file. Any other failure writes the row beside it as NAME.failed for
the summary and ends this job with an error, so that the next run tries the file again."""

import argparse
import glob
import os
import re
import subprocess
import sys
import time

EXIT_WRITTEN = 0
EXIT_NOTHING_FOUND = 3
EXIT_INTERRUPTED = 130


def arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source", required=True, help="the acquisition: mzML, mzXML or Vesk")
    parser.add_argument("--query", required=True, help="the query file to write (NAME.sxq)")
    parser.add_argument("--row", required=True, help="the summary row to write when finished")
    parser.add_argument("--work", required=True, help="folder for the imported Vesk file")
    parser.add_argument("--log", required=True, help="where the programs' messages go")
    parser.add_argument("--bin", required=True, help="folder of vesk and ostrand-export")
    parser.add_argument("--keys", default="", help="parameter names for --keys (empty: stored settings)")
    parser.add_argument("--values", default="", help="parameter values for --values")
    parser.add_argument("--submit", action="store_true", help="submit the query file to the search server")
    return parser.parse_args()


def write_atomically(path, text):
    temporary = f"{path}.part{os.getpid()}"
    with open(temporary, "w", encoding="utf-8") as out:
        out.write(text)
        out.flush()
        os.fsync(out.fileno())
    os.replace(temporary, path)


class Acquisition:
    def __init__(self, options):
        self.options = options
        self.log = open(options.log, "w", encoding="utf-8")
        self.started = time.monotonic()

    def run(self, program, *args):
        """Runs one of the programs; its messages go to the log. Its exit code and standard output."""
        command = [os.path.join(self.options.bin, program), *args]
        self.log.write("$ " + " ".join(command) + "\n")
        self.log.flush()
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=self.log, text=True, check=False)
        self.log.write(done.stdout)
        self.log.write(f"(exit status {done.returncode})\n")
        self.log.flush()
        return done.returncode, done.stdout

    def vesk_file(self):
        """The Vesk file to export: the source itself, or the source imported into the work folder."""
        source = self.options.source
        if source.lower().endswith(".vesk"):
            return source, None
        stem = os.path.splitext(os.path.basename(self.options.query))[0]
        imported = os.path.join(self.options.work, stem + ".vesk")
        status, _ = self.run("vesk", "import", "--quiet", source, "-o", imported)
        return (imported if status == EXIT_WRITTEN else None), status

    def samples(self, vesk):
        status, text = self.run("vesk", "info", vesk)
        found = re.search(r"^Samples: (\d+)$", text, re.MULTILINE)
        return found.group(1) if status == EXIT_WRITTEN and found else ""

    def export(self, vesk):
        """ostrand-export's exit status and the number of spectra it wrote."""
        args = [vesk, "-o", self.options.query]
        if self.options.keys:
            args += ["--keys", self.options.keys, "--values", self.options.values]
        if self.options.submit:
            args.append("--submit")
        status, text = self.run("ostrand-export", *args)
        written = re.search(r"^(\d+) spectra written to ", text, re.MULTILINE)
        return status, int(written.group(1)) if written else 0

    def row(self, samples, spectra, status):
        name = os.path.basename(self.options.source)
        seconds = time.monotonic() - self.started
        return f"{name}\t{samples}\t{spectra}\t{seconds:.1f}\t{status}\n"


def main():
    options = arguments()
    failed = os.path.splitext(options.row)[0] + ".failed"
    # What a killed run of this file left: its failure record and a half-written query file.
    for leftover in [failed] + glob.glob(glob.escape(options.query) + ".*.part"):
        if os.path.exists(leftover):
            os.remove(leftover)
    os.makedirs(options.work, exist_ok=True)
    acquisition = Acquisition(options)

    vesk, status = acquisition.vesk_file()
    samples, spectra = "", 0
    try:
        if vesk:
            samples = acquisition.samples(vesk)
            status, spectra = acquisition.export(vesk)
    finally:
        if vesk and vesk != options.source and os.path.exists(vesk):
            os.remove(vesk)

    if status == EXIT_INTERRUPTED or status < 0:  # Ctrl+C, or a signal from the scheduler
        sys.exit(f"{options.source}: interrupted; the next run does this file again")
    row = acquisition.row(samples, spectra, status)
    if status in (EXIT_WRITTEN, EXIT_NOTHING_FOUND):
        if status == EXIT_NOTHING_FOUND and os.path.exists(options.query):
            # The output folder holds this run's results: a query file of an earlier run with other
            # parameters would be taken for this one's.
            os.remove(options.query)
        write_atomically(options.row, row)
        return
    write_atomically(failed, row)
    acquisition.log.close()
    with open(options.log, encoding="utf-8") as log:
        reasons = [line for line in log.read().splitlines() if line.startswith(("vesk", "ostrand-export"))]
    sys.exit("\n".join(reasons[-3:] + [f"{options.source}: failed with exit status {status}; see {options.log}"]))


if __name__ == "__main__":
    main()
