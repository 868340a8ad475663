"""Which product scans of a generated acquisition a search identified correctly.

The generator's truth file names the peptide of every product scan by sample, period,
experiment and cycle (counting periods, experiments and cycles from 0). A query of our export
names its scans in its title ("Sample: ... (sample number 1), ..., Period: 1, Cycle(s): 5-7, 10
(Experiment 2)", counting from 1); a spectrum of msconvert's peak list names its one scan by the
native id that the mzML conversion gave it ("sample=1 period=0 cycle=4 experiment=1")."""

import bisect
import json
import re
from collections import Counter

_SAMPLE = re.compile(r"\(sample number (\d+)\)")
_PERIOD = re.compile(r", Periods?: (\d+)(?: to (\d+))?")
_EXPERIMENT_RUNS = re.compile(r"((?:\d+(?:-\d+)?, )*\d+(?:-\d+)?) \(Experiment (\d+)\)")
_NATIVE_ID = re.compile(r"sample=(\d+) period=(\d+) cycle=(\d+) experiment=(\d+)")


class TitleError(ValueError):
    pass


def _product_scans(path):
    with open(path, encoding="utf-8") as text:
        return {(scan["sample"], scan["period"], scan["experiment"], scan["cycle"]): scan
                for scan in json.load(text)["productScans"]}


def load_truth(path):
    """{(sample, period, experiment, cycle): peptide} of every product scan."""
    return {key: scan["peptide"] for key, scan in _product_scans(path).items()}


def load_fragments(path):
    """{(sample, period, experiment, cycle): [monoisotopic m/z of each listed fragment]}."""
    return {key: [fragment["mz"] for fragment in scan["fragments"]] for key, scan in _product_scans(path).items()}


def load_precursors(path):
    """{(sample, period, experiment, cycle): (peptide, charge, monoisotopic m/z)} of every product scan."""
    return {key: (scan["peptide"], scan["charge"], scan["monoisotopicMz"])
            for key, scan in _product_scans(path).items()}


def near_isobaric_pairs(precursors, mz_tolerance=1.0, cycles=10):
    """Pairs of different peptides of one charge, monoisotopic m/z within `mz_tolerance`, both
    fragmented within `cycles` cycles of each other in one sample and period: the pairs that a
    grouping by precursor m/z alone could sum into one query."""
    by_cycle = sorted((key[:2], key[3], charge, mono, peptide) for key, (peptide, charge, mono) in precursors.items())
    pairs = set()
    for i, (run, cycle, charge, mono, peptide) in enumerate(by_cycle):
        for other_run, other_cycle, other_charge, other_mono, other in by_cycle[i + 1:]:
            if other_run != run or other_cycle > cycle + cycles:
                break
            if other_charge == charge and abs(other_mono - mono) <= mz_tolerance and not same_peptide(other, peptide):
                pairs.add(tuple(sorted((peptide, other))))
    return pairs


ISOTOPE_SPACING = 1.003355


def query_origins(spectra, precursors, ppm=20.0):
    """Counts over the distinct spectra (queries) of a peak list: "queries"; "mixed", those whose
    product scans come from two or more peptides; and by where PEPMASS lies on the isotope cluster
    of the peptide most of its scans come from, "isotope 0" (monoisotopic), "isotope 1" (the
    second peak), "isotope 2" (the third) and "off the cluster". A peak counts within `ppm`, plus
    the few ppm the instrument's m/z is off."""
    counts = Counter({"queries": 0, "mixed": 0, "isotope 0": 0, "isotope 1": 0, "isotope 2": 0, "off the cluster": 0})
    seen = set()
    for spectrum in spectra:
        if spectrum.title in seen:
            continue
        seen.add(spectrum.title)
        behind = [precursors[scan] for scan in scans_of_title(spectrum.title) if scan in precursors]
        if not behind:
            continue
        counts["queries"] += 1
        peptides = Counter(peptide for peptide, _, _ in behind)
        if len(peptides) > 1:
            counts["mixed"] += 1
        main = peptides.most_common(1)[0][0]
        _, charge, mono = next(entry for entry in behind if entry[0] == main)
        step = ISOTOPE_SPACING / charge
        isotope = round((spectrum.precursor_mz - mono) / step)
        near = abs(spectrum.precursor_mz - mono - isotope * step) <= spectrum.precursor_mz * ppm * 1e-6
        counts[f"isotope {isotope}" if near and 0 <= isotope <= 2 else "off the cluster"] += 1
    return dict(counts)


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


def identified_peptides(accepted, truth):
    """The distinct peptides (I = L) that an accepted spectrum names rightly for one of its scans."""
    return {match.peptide.replace("I", "L") for title, match in accepted.items()
            if any(same_peptide(match.peptide, truth.get(scan, "")) for scan in scans_of_title(title))}


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
