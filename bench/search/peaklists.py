"""Peak lists in the BEGIN IONS ... END IONS text format, as our query files and msconvert's MGF
output write them: reading their blocks, and numbering them for the search engine.

A query file may carry header lines before its first block (SEARCH=MIS, REPTYPE=Peptide) and
CR LF line ends; both are accepted. Several blocks of one spectrum (one per assumed charge) share
the same title, so the title is what identifies a spectrum."""

from dataclasses import dataclass


@dataclass
class Block:
    title: str
    charges: str  # the CHARGE value as written ("2+", "2+ and 3+"), "" when absent
    peaks: int


class PeakListError(ValueError):
    pass


def read_blocks(path):
    """Yields every block of the file in order; raises PeakListError, naming the line, when a block
    is left open or a peak line is not two numbers."""
    block = None
    with open(path, encoding="latin-1", newline=None) as text:
        for number, line in enumerate(text, start=1):
            line = line.rstrip("\r\n")
            if line == "BEGIN IONS":
                if block is not None:
                    raise PeakListError(f"{path}:{number}: BEGIN IONS inside an open block")
                block = Block(title="", charges="", peaks=0)
            elif line == "END IONS":
                if block is None:
                    raise PeakListError(f"{path}:{number}: END IONS without BEGIN IONS")
                yield block
                block = None
            elif block is not None and line:
                if line.startswith("TITLE="):
                    block.title = line[len("TITLE="):]
                elif line.startswith("CHARGE="):
                    block.charges = line[len("CHARGE="):]
                elif line[0].isdigit():
                    fields = line.split()
                    try:
                        if len(fields) < 2:
                            raise ValueError
                        float(fields[0]), float(fields[1])
                    except ValueError:
                        raise PeakListError(f"{path}:{number}: not a peak line: {line!r}") from None
                    block.peaks += 1
    if block is not None:
        raise PeakListError(f"{path}: the last block has no END IONS")


def write_numbered(source, destination):
    """Copies the blocks of `source` to `destination` with a SCANS=k line after each BEGIN IONS
    (k counting from 1) and plain line ends, so that every result of the search engine names its
    block. Lines outside blocks are left out; peaks and other lines are copied unchanged.
    Returns the titles, the one of block k at index k - 1."""
    titles = []
    inside = False
    with open(source, encoding="latin-1", newline=None) as text, \
            open(destination, "w", encoding="latin-1", newline="\n") as out:
        for line in text:
            line = line.rstrip("\r\n")
            if line == "BEGIN IONS":
                inside = True
                titles.append("")
                out.write(f"BEGIN IONS\nSCANS={len(titles)}\n")
                continue
            if not inside:
                continue
            if line.startswith("TITLE="):
                titles[-1] = line[len("TITLE="):]
            elif line.startswith("SCANS="):
                continue  # replaced by the block number
            out.write(line + "\n")
            if line == "END IONS":
                inside = False
    return titles


def summarise(path):
    """Blocks, distinct spectra (titles) and peak lines of a peak list."""
    blocks = spectra = peaks = 0
    titles = set()
    for block in read_blocks(path):
        blocks += 1
        peaks += block.peaks
        if block.title not in titles:
            titles.add(block.title)
            spectra += 1
    return {"blocks": blocks, "spectra": spectra, "peaks": peaks}
