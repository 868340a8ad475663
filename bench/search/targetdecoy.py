"""Peptide-spectrum matches from Comet's tab-separated output and X!Tandem's XML output, filtered
to a false discovery rate by target-decoy competition: the database holds every protein once forward and once reversed
with a decoy prefix, and the decoys matched above a score estimate the wrong target matches.

A spectrum searched at several charges (one block per assumed charge, or one block the engine
tries at several charges) keeps only its best match, so each spectrum counts once."""

import xml.etree.ElementTree as ElementTree
from dataclasses import dataclass


@dataclass
class Match:
    scan: int
    charge: int
    evalue: float
    xcorr: float  # Comet's cross-correlation, or X!Tandem's hyperscore
    peptide: str
    proteins: list

    def is_decoy(self, prefix):
        # A peptide found in a target protein too is a target.
        return all(protein.startswith(prefix) for protein in self.proteins)


class SearchOutputError(ValueError):
    pass


def read_comet_txt(path):
    """The top match of every scan and charge in a Comet .txt result file."""
    with open(path, encoding="latin-1") as text:
        lines = text.read().splitlines()
    header_at = next((i for i, line in enumerate(lines) if line.startswith("scan\t")), None)
    if header_at is None:
        raise SearchOutputError(f"{path}: no column header line (scan, num, charge, ...)")
    columns = lines[header_at].split("\t")
    try:
        at = {name: columns.index(name)
              for name in ("scan", "num", "charge", "e-value", "xcorr", "plain_peptide", "protein")}
    except ValueError as missing:
        raise SearchOutputError(f"{path}: {missing}") from None
    matches = []
    for number, line in enumerate(lines[header_at + 1:], start=header_at + 2):
        if not line.strip():
            continue
        fields = line.split("\t")
        try:
            if int(fields[at["num"]]) != 1:
                continue
            matches.append(Match(scan=int(fields[at["scan"]]), charge=int(fields[at["charge"]]),
                                 evalue=float(fields[at["e-value"]]), xcorr=float(fields[at["xcorr"]]),
                                 peptide=fields[at["plain_peptide"]],
                                 proteins=[p for p in fields[at["protein"]].split(",") if p]))
        except (IndexError, ValueError):
            raise SearchOutputError(f"{path}:{number}: unreadable result line {line[:80]!r}") from None
    return matches


def read_tandem_xml(path):
    """The best match of every spectrum X!Tandem reports, the spectrum numbered by its title (the
    numbered BEGIN IONS text file writes each spectrum's number as its title). Of several top peptides of equal
    score the first is kept, with every protein that holds it."""
    matches = []
    try:
        for _, group in ElementTree.iterparse(path):
            if group.tag == "group" and group.get("type") == "model":
                matches.append(_tandem_match(group, path))
                group.clear()
    except (ElementTree.ParseError, TypeError, ValueError) as error:
        raise SearchOutputError(f"{path}: not a readable X!Tandem result file ({error})") from None
    return matches


def _tandem_match(group, path):
    domains = [(protein.get("label", "").split()[0], domain)
               for protein in group.iter("protein") for domain in protein.iter("domain")]
    spectrum = next((g for g in group.iter("group") if g.get("label") == "fragment ion mass spectrum"), None)
    title = next((note.text for note in spectrum.iter("note") if note.get("label") == "Description"),
                 None) if spectrum is not None else None
    if not domains or not title:
        raise SearchOutputError(f"{path}: result group {group.get('id')} has no peptide or no spectrum title")
    peptide = domains[0][1].get("seq")
    return Match(scan=int(title.split()[0]), charge=int(group.get("z")), evalue=float(group.get("expect")),
                 xcorr=float(domains[0][1].get("hyperscore")), peptide=peptide,
                 proteins=sorted({label for label, domain in domains if domain.get("seq") == peptide}))


def ranking_key(score):
    """Sort key putting the most confident match first: by e-value, or by cross-correlation."""
    if score == "evalue":
        return lambda match: (match.evalue, -match.xcorr)
    if score == "xcorr":
        return lambda match: (-match.xcorr, match.evalue)
    raise ValueError(f"unknown score {score!r}: evalue or xcorr")


def best_per_spectrum(matches, spectrum_of_scan, score="evalue"):
    """{spectrum: its best match}, spectra named by spectrum_of_scan(scan)."""
    key = ranking_key(score)
    best = {}
    for match in matches:
        spectrum = spectrum_of_scan(match.scan)
        if spectrum not in best or key(match) < key(best[spectrum]):
            best[spectrum] = match
    return best


def accepted_targets(best, decoy_prefix="rev_", fdr=0.01, score="evalue"):
    """{spectrum: match} of the target matches whose q-value is at most `fdr`. The q-value of a
    match is the lowest decoys/targets ratio over every score threshold that still accepts it."""
    ranked = sorted(best.items(), key=lambda item: ranking_key(score)(item[1]))
    ratios = []
    decoys = targets = 0
    for _, match in ranked:
        if match.is_decoy(decoy_prefix):
            decoys += 1
        else:
            targets += 1
        ratios.append(decoys / targets if targets else float("inf"))
    accepted = {}
    q_value = float("inf")
    for (spectrum, match), ratio in zip(reversed(ranked), reversed(ratios)):
        q_value = min(q_value, ratio)
        if q_value <= fdr and not match.is_decoy(decoy_prefix):
            accepted[spectrum] = match
    return accepted
