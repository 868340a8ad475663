"""Peak lists for the search engine: our query files (BEGIN IONS ... END IONS blocks in the Sorvex
generic text format) and msconvert's peak-picked mzML, read into one form and written as numbered
MS2 files, a plain open format that Comet reads, or numbered text files of BEGIN IONS blocks,
which X!Tandem reads.

A query file may carry header lines before its first block (SEARCH=MIS, REPTYPE=Peptide) and
CR LF line ends; both are accepted. Several blocks of one spectrum (one per assumed charge) share
the same title, so the title is what identifies a spectrum. An mzML spectrum's title is its
native id."""

import base64
import contextlib
import struct
import xml.etree.ElementTree as ElementTree
import zlib
from dataclasses import dataclass, field

PROTON = 1.007276


@dataclass
class Spectrum:
    title: str
    precursor_mz: float = 0.0
    charges: list = field(default_factory=list)  # empty when unknown
    peaks: list = field(default_factory=list)  # (m/z, intensity)


class PeakListError(ValueError):
    pass


def _charges(text):
    """"2+" -> [2]; "2+ and 3+" -> [2, 3]."""
    return [int(part.strip().rstrip("+")) for part in text.replace(" and ", ",").split(",") if part.strip()]


def read_query_file(path):
    """Yields every block of a query file in order; raises PeakListError, naming the line, when a
    block is left open or a line of it cannot be read."""
    spectrum = None
    with open(path, encoding="latin-1", newline=None) as text:
        for number, line in enumerate(text, start=1):
            line = line.rstrip("\r\n")
            if line == "BEGIN IONS":
                if spectrum is not None:
                    raise PeakListError(f"{path}:{number}: BEGIN IONS inside an open block")
                spectrum = Spectrum(title="")
            elif line == "END IONS":
                if spectrum is None:
                    raise PeakListError(f"{path}:{number}: END IONS without BEGIN IONS")
                yield spectrum
                spectrum = None
            elif spectrum is not None and line:
                try:
                    if line.startswith("TITLE="):
                        spectrum.title = line[len("TITLE="):]
                    elif line.startswith("CHARGE="):
                        spectrum.charges = _charges(line[len("CHARGE="):])
                    elif line.startswith("PEPMASS="):
                        spectrum.precursor_mz = float(line[len("PEPMASS="):].split()[0])
                    elif line[0].isdigit():
                        mz, intensity = line.split()[:2]
                        spectrum.peaks.append((float(mz), float(intensity)))
                except ValueError:
                    raise PeakListError(f"{path}:{number}: cannot read {line!r}") from None
    if spectrum is not None:
        raise PeakListError(f"{path}: the last block has no END IONS")


# The mzML terms the reader needs.
_MS_LEVEL, _SELECTED_MZ, _CHARGE, _POSSIBLE_CHARGE = "MS:1000511", "MS:1000744", "MS:1000041", "MS:1000633"
_MZ_ARRAY, _INTENSITY_ARRAY, _FLOAT32, _FLOAT64, _ZLIB = (
    "MS:1000514", "MS:1000515", "MS:1000521", "MS:1000523", "MS:1000574")


def _local(tag):
    return tag.rsplit("}", 1)[-1]


def _decode(array, path, title):
    terms = {p.get("accession") for p in array.iter() if _local(p.tag) == "cvParam"}
    binary = next((e for e in array.iter() if _local(e.tag) == "binary"), None)
    raw = base64.b64decode(binary.text or "") if binary is not None else b""
    if _ZLIB in terms:
        raw = zlib.decompress(raw)
    width, code = (4, "f") if _FLOAT32 in terms else (8, "d")
    if len(raw) % width:
        raise PeakListError(f"{path}: spectrum {title!r} has a binary array of {len(raw)} bytes")
    return terms, struct.unpack(f"<{len(raw) // width}{code}", raw)


def read_mzml(path):
    """Yields every MS/MS spectrum of an mzML file (uncompressed or zlib arrays of 32- or 64-bit
    floats), one at a time so that large files stay out of memory."""
    try:
        for _, element in ElementTree.iterparse(path):
            if _local(element.tag) != "spectrum":
                continue
            title = element.get("id", "")
            params = {p.get("accession"): p.get("value") for p in element.iter() if _local(p.tag) == "cvParam"}
            if int(params.get(_MS_LEVEL, "1")) >= 2:
                spectrum = Spectrum(title=title, precursor_mz=float(params.get(_SELECTED_MZ, "0")))
                spectrum.charges = [int(p.get("value")) for p in element.iter()
                                    if _local(p.tag) == "cvParam" and p.get("accession") in (_CHARGE, _POSSIBLE_CHARGE)]
                arrays = {}
                for array in (e for e in element.iter() if _local(e.tag) == "binaryDataArray"):
                    terms, values = _decode(array, path, title)
                    arrays[_MZ_ARRAY if _MZ_ARRAY in terms else _INTENSITY_ARRAY if _INTENSITY_ARRAY in terms
                           else None] = values
                spectrum.peaks = list(zip(arrays.get(_MZ_ARRAY, ()), arrays.get(_INTENSITY_ARRAY, ())))
                yield spectrum
            element.clear()
    except (ElementTree.ParseError, ValueError, zlib.error) as error:
        raise PeakListError(f"{path}: not a readable mzML file ({error})") from None


def read_peaklist(path):
    return read_mzml(path) if path.lower().endswith(".mzml") else read_query_file(path)


def write_ms2(spectra, destination, ion_blocks=None):
    """Writes the spectra as MS2 spectra numbered from 1 (S lines), each with its title on an
    I line and one Z line (charge, singly protonated mass) per charge; a spectrum of unknown charge
    has none, and the search engine tries the charges it would try for any such spectrum. With
    `ion_blocks`, writes the same spectra there as BEGIN IONS blocks for X!Tandem, titled by their
    numbers, one block per known charge. Returns the titles, the one of spectrum k at index k - 1."""
    titles = []
    with open(destination, "w", encoding="latin-1", newline="\n") as out, \
            (open(ion_blocks, "w", encoding="latin-1", newline="\n") if ion_blocks
             else contextlib.nullcontext()) as blocks_out:
        for spectrum in spectra:
            titles.append(spectrum.title)
            number = len(titles)
            peaks = "".join(f"{mz:.6f} {intensity:.4f}\n" for mz, intensity in spectrum.peaks)
            out.write(f"S\t{number}\t{number}\t{spectrum.precursor_mz:.6f}\n")
            out.write(f"I\tTitle\t{spectrum.title}\n")
            for charge in spectrum.charges:
                out.write(f"Z\t{charge}\t{(spectrum.precursor_mz - PROTON) * charge + PROTON:.6f}\n")
            out.write(peaks)
            if ion_blocks:
                for charge in spectrum.charges or [None]:
                    blocks_out.write(f"BEGIN IONS\nTITLE={number}\nPEPMASS={spectrum.precursor_mz:.6f}\n")
                    blocks_out.write(f"CHARGE={charge}+\n" if charge else "")
                    blocks_out.write(peaks + "END IONS\n")
    return titles


def ms2_titles(path):
    """The titles of a numbered MS2 file that write_ms2 wrote, the one of spectrum k at index k - 1."""
    titles = []
    with open(path, encoding="latin-1") as text:
        for line in text:
            if line.startswith("S\t"):
                titles.append("")
            elif line.startswith("I\tTitle\t") and titles:
                titles[-1] = line[len("I\tTitle\t"):].rstrip("\n")
    return titles


def summarise(path):
    """Blocks (one per spectrum and assumed charge), distinct spectra (titles) and peak lines."""
    blocks = peaks = 0
    titles = set()
    for spectrum in read_peaklist(path):
        blocks += 1
        peaks += len(spectrum.peaks)
        titles.add(spectrum.title)
    return {"blocks": blocks, "spectra": len(titles), "peaks": peaks}
