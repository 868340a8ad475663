"""Which product scans of a generated acquisition a search identified correctly.

The generator's truth file names the peptide of every product scan by sample, period,
experiment and cycle (counting periods, experiments and cycles from 0). A query of our export
names its scans in its title ("Sample: ... (sample number 1), ..., Period: 1, Cycle(s): 5-7, 10
(Experiment 2)", counting from 1); a spectrum of msconvert's peak list names its one scan by the
native id that the mzML conversion gave it ("sample=1 period=0 cycle=4 experiment=1")."""

import bisect
import json
import re

_SAMPLE = re.compile(r"\(sample number (\d+)\)")
_PERIOD = re.compile(r", Periods?: (\d+)(?: to (\d+))?")
_EXPERIMENT_RUNS = re.compile(r"((?:\d+(?:-\d+)?, )*\d+(?:-\d+)?) \(Experiment (\d+)\)")
_NATIVE_ID = re.compile(r"sample=(\d+) period=(\d+) cycle=(\d+) experiment=(\d+)")


class TitleError(ValueError):
    pass


def load_truth(path):
    """{(sample, period, experiment, cycle): peptide} of every product scan."""
    with open(path, encoding="utf-8") as text:
        truth = json.load(text)
    return {(scan["sample"], scan["period"], scan["experiment"], scan["cycle"]): scan["peptide"]
            for scan in truth["productScans"]}


def load_fragments(path):
    """{(sample, period, experiment, cycle): [monoisotopic m/z of each listed fragment]}."""
    with open(path, encoding="utf-8") as text:
        truth = json.load(text)
    return {(scan["sample"], scan["period"], scan["experiment"], scan["cycle"]):
            [fragment["mz"] for fragment in scan["fragments"]] for scan in truth["productScans"]}


def fragment_recall(spectra, fragments, ppm=20.0):
    """(true fragments found, true fragments, listed peaks, listed peaks that are true fragments)
    over the spectra, each spectrum counted once (blocks of other charges repeat it). A spectrum's
    true fragments are those of the product scans behind it; a fragment is found, and a peak is a
    true one, when the two lie within `ppm` of each other."""
    seen = set()
    found = total = listed = true_peaks = 0
    for spectrum in spectra:
        if spectrum.title in seen:
            continue
        seen.add(spectrum.title)
        expected = sorted({round(mz, 4) for scan in scans_of_title(spectrum.title)
                           for mz in fragments.get(scan, [])})
        peaks = sorted(mz for mz, _ in spectrum.peaks)
        total += len(expected)
        listed += len(peaks)
        found += sum(1 for mz in expected if _has_near(peaks, mz, ppm))
        true_peaks += sum(1 for mz in peaks if _has_near(expected, mz, ppm))
    return found, total, listed, true_peaks


def _has_near(values, mz, ppm):
    at = bisect.bisect_left(values, mz - mz * ppm * 1e-6)
    return at < len(values) and values[at] <= mz + mz * ppm * 1e-6


def scans_of_title(title):
    """The (sample, period, experiment, cycle) keys of the product scans behind a spectrum."""
    native = _NATIVE_ID.search(title)
    if native:
        sample, period, cycle, experiment = map(int, native.groups())
        return {(sample, period, experiment, cycle)}
    sample, period = _SAMPLE.search(title), _PERIOD.search(title)
    cycles_at = title.find("Cycle(s): ")
    if not sample or not period or cycles_at < 0:
        raise TitleError(f"no sample, period or cycle list in the title {title!r}")
    if period.group(2) and period.group(2) != period.group(1):
        raise TitleError(f"a query over several periods cannot be matched to scans: {title!r}")
    scans = set()
    for runs, experiment in _EXPERIMENT_RUNS.findall(title[cycles_at:]):
        for run in runs.split(", "):
            first, _, last = run.partition("-")
            for cycle in range(int(first), int(last or first) + 1):
                scans.add((int(sample.group(1)), int(period.group(1)) - 1, int(experiment) - 1, cycle - 1))
    if not scans:
        raise TitleError(f"an empty cycle list in the title {title!r}")
    return scans


def same_peptide(found, expected):
    # Leucine and isoleucine have the same mass, so no search tells them apart.
    return found.replace("I", "L") == expected.replace("I", "L")


def identified_scans(accepted, truth):
    """(correct, wrong): the truth's product scans behind accepted spectra whose peptide is the
    right one, and the accepted spectra whose peptide is none of their scans' peptides.
    `accepted` maps each spectrum's title to its match."""
    correct = set()
    wrong = 0
    for title, match in accepted.items():
        scans = scans_of_title(title)
        right = {scan for scan in scans if scan in truth and same_peptide(match.peptide, truth[scan])}
        correct |= right
        if not right:
            wrong += 1
    return correct, wrong
