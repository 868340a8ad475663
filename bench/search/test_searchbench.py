"""Tests of the benchmark's scoring: a wrong count here would make every reported figure wrong.
Run with: python3 -m unittest discover -s bench/search"""

import base64
import json
import os
import struct
import tempfile
import unittest
import zlib

import groundtruth
import peaklists
import report
import searchbench
import targetdecoy
from targetdecoy import Match


def match(scan, evalue, peptide="PEPTIDEK", proteins=("SIM001",), xcorr=1.0, charge=2):
    return Match(scan=scan, charge=charge, evalue=evalue, xcorr=xcorr, peptide=peptide, proteins=list(proteins))


class Files(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def write(self, name, text, newline=None):
        path = os.path.join(self.folder.name, name)
        with open(path, "w", encoding="latin-1", newline=newline) as out:
            out.write(text)
        return path


QUERY_FILE = ("SEARCH=MIS\r\nREPTYPE=Peptide\r\n"
              "BEGIN IONS\r\nPEPMASS=500.25\r\nCHARGE=2+\r\nTITLE=first\r\n100.1 5\r\n200.2 6\r\nEND IONS\r\n\r\n"
              "BEGIN IONS\r\nPEPMASS=500.25\r\nCHARGE=3+\r\nTITLE=first\r\n100.1 5\r\n200.2 6\r\nEND IONS\r\n\r\n"
              "BEGIN IONS\r\nPEPMASS=612.3\r\nTITLE=second\r\nSCANS=77\r\n150 1\r\nEND IONS\r\n\r\n")


def binary_array(values, accession, code, compress=False):
    raw = struct.pack(f"<{len(values)}{code}", *values)
    raw = zlib.compress(raw) if compress else raw
    width = "MS:1000521" if code == "f" else "MS:1000523"
    compression = "MS:1000574" if compress else "MS:1000576"
    return (f'<binaryDataArray><cvParam accession="{width}"/><cvParam accession="{compression}"/>'
            f'<cvParam accession="{accession}"/><binary>{base64.b64encode(raw).decode()}</binary></binaryDataArray>')


MZML = ('<?xml version="1.0"?><mzML xmlns="http://psi.hupo.org/ms/mzml"><run><spectrumList count="3">'
        '<spectrum index="0" id="cycle=0 experiment=0"><cvParam accession="MS:1000511" value="1"/>'
        '<binaryDataArrayList>' + binary_array([400.0], "MS:1000514", "d") +
        binary_array([9.0], "MS:1000515", "f") + '</binaryDataArrayList></spectrum>'
        '<spectrum index="1" id="cycle=0 experiment=1"><cvParam accession="MS:1000511" value="2"/>'
        '<precursorList><precursor><selectedIonList><selectedIon>'
        '<cvParam accession="MS:1000744" value="523.7812"/><cvParam accession="MS:1000041" value="2"/>'
        '</selectedIon></selectedIonList></precursor></precursorList><binaryDataArrayList>' +
        binary_array([120.5, 250.25], "MS:1000514", "d", compress=True) +
        binary_array([5.0, 7.5], "MS:1000515", "f", compress=True) + '</binaryDataArrayList></spectrum>'
        '<spectrum index="2" id="cycle=1 experiment=1"><cvParam accession="MS:1000511" value="2"/>'
        '<precursorList><precursor><selectedIonList><selectedIon>'
        '<cvParam accession="MS:1000744" value="612.3"/></selectedIon></selectedIonList></precursor>'
        '</precursorList><binaryDataArrayList>' + binary_array([150.0], "MS:1000514", "d") +
        binary_array([1.0], "MS:1000515", "d") + '</binaryDataArrayList></spectrum>'
        '</spectrumList></run></mzML>')


class PeakListTest(Files):
    def test_query_file_with_header_and_crlf(self):
        path = self.write("q.sxq", QUERY_FILE, newline="")
        spectra = list(peaklists.read_query_file(path))
        self.assertEqual([(s.title, s.precursor_mz, s.charges, len(s.peaks)) for s in spectra],
                         [("first", 500.25, [2], 2), ("first", 500.25, [3], 2), ("second", 612.3, [], 1)])
        self.assertEqual(spectra[0].peaks, [(100.1, 5.0), (200.2, 6.0)])
        self.assertEqual(peaklists.summarise(path), {"blocks": 3, "spectra": 2, "peaks": 5})

    def test_numbered_ms2_names_every_spectrum_and_its_charges(self):
        numbered = os.path.join(self.folder.name, "q.ms2")
        spectra = peaklists.read_query_file(self.write("q.sxq", QUERY_FILE, newline=""))
        blocks = os.path.join(self.folder.name, "q.txt")
        self.assertEqual(peaklists.write_ms2(spectra, numbered, blocks), ["first", "first", "second"])
        with open(numbered, "rb") as text:
            written = text.read().decode("latin-1")
        self.assertNotIn("\r", written)
        self.assertNotIn("SEARCH=MIS", written)
        self.assertEqual([line for line in written.splitlines() if line[0] in "SZ"],
                         ["S\t1\t1\t500.250000", "Z\t2\t999.492724",
                          "S\t2\t2\t500.250000", "Z\t3\t1498.735448",
                          "S\t3\t3\t612.300000"])  # unknown charge: no Z line
        self.assertIn("150.000000 1.0000\n", written)
        self.assertEqual(peaklists.ms2_titles(numbered), ["first", "first", "second"])
        # The BEGIN IONS text file numbers the same spectra the same way, for X!Tandem.
        with open(blocks, encoding="latin-1") as text:
            blocks = text.read().split("END IONS\n")
        self.assertEqual(blocks[1], "BEGIN IONS\nTITLE=2\nPEPMASS=500.250000\nCHARGE=3+\n"
                                    "100.100000 5.0000\n200.200000 6.0000\n")
        self.assertEqual(blocks[2], "BEGIN IONS\nTITLE=3\nPEPMASS=612.300000\n150.000000 1.0000\n")

    def test_mzml_gives_the_ms2_spectra_with_precursor_charge_and_peaks(self):
        path = self.write("p.mzML", MZML)
        spectra = list(peaklists.read_mzml(path))
        self.assertEqual([(s.title, s.precursor_mz, s.charges) for s in spectra],
                         [("cycle=0 experiment=1", 523.7812, [2]), ("cycle=1 experiment=1", 612.3, [])])
        self.assertEqual(spectra[0].peaks, [(120.5, 5.0), (250.25, 7.5)])
        self.assertEqual(spectra[1].peaks, [(150.0, 1.0)])
        self.assertEqual(peaklists.summarise(path), {"blocks": 2, "spectra": 2, "peaks": 3})

    def test_broken_files_are_named(self):
        for text, where in (("BEGIN IONS\nTITLE=a\n100 1\n", "no END IONS"),
                            ("BEGIN IONS\nTITLE=a\n100 x\nEND IONS\n", ":3: cannot read"),
                            ("BEGIN IONS\nBEGIN IONS\n", ":2: BEGIN IONS inside")):
            with self.subTest(where=where):
                path = self.write("broken.sxq", text)
                with self.assertRaisesRegex(peaklists.PeakListError, where):
                    list(peaklists.read_query_file(path))
        with self.assertRaisesRegex(peaklists.PeakListError, "not a readable mzML"):
            list(peaklists.read_mzml(self.write("cut.mzML", MZML[:300])))


class TargetDecoyTest(Files):
    def test_comet_txt_keeps_top_matches(self):
        path = self.write("r.txt", "CometVersion 2019.01 rev. 5\tx\n"
                          "scan\tnum\tcharge\texp_neutral_mass\tcalc_neutral_mass\te-value\txcorr\tdelta_cn\t"
                          "sp_score\tions_matched\tions_total\tplain_peptide\tmodified_peptide\tprev_aa\tnext_aa\t"
                          "protein\tprotein_count\tmodifications\n"
                          "4\t1\t2\t1.0\t1.0\t2.5E-03\t2.1\t0.5\t100\t5\t10\tAAK\tK.AAK.L\tK\tL\trev_A,B\t2\t-\n"
                          "4\t2\t2\t1.0\t1.0\t9.0E+00\t0.5\t0.5\t100\t5\t10\tCCK\tK.CCK.L\tK\tL\tC\t1\t-\n")
        [found] = targetdecoy.read_comet_txt(path)
        self.assertEqual((found.scan, found.charge, found.evalue, found.xcorr, found.peptide, found.proteins),
                         (4, 2, 2.5e-3, 2.1, "AAK", ["rev_A", "B"]))
        self.assertFalse(found.is_decoy("rev_"))  # shared with a target protein
        self.assertTrue(match(1, 1, proteins=("rev_A", "rev_B")).is_decoy("rev_"))

        with self.assertRaisesRegex(targetdecoy.SearchOutputError, "no column header"):
            targetdecoy.read_comet_txt(self.write("empty.txt", "CometVersion\n"))

    def test_tandem_xml_gives_the_best_peptide_of_each_spectrum_with_its_proteins(self):
        def group(number, expect, domains):
            proteins = "".join(
                f'<protein expect="-9" id="{number}.{i}" label="{label} some protein"><peptide start="1" end="9">'
                f'<domain id="{number}.{i}.1" expect="{expect}" hyperscore="{score}" seq="{seq}"></domain>'
                f'</peptide></protein>' for i, (label, seq, score) in enumerate(domains, start=1))
            return (f'<group id="{number}" mh="1000.5" z="2" expect="{expect}" type="model">{proteins}'
                    f'<group label="supporting data" type="support"><note label="Description">no</note></group>' +
                    f'<group label="fragment ion mass spectrum" type="support"><note label="Description">{number} '
                    f'</note><GAML:trace id="{number}"></GAML:trace></group></group>')
        path = self.write("t.xml", '<?xml version="1.0"?><bioml xmlns:GAML="http://www.bioml.com/gaml/">' +
                          group(7, "2.5e-05", [("SIM001|A_SYNTH", "PEPTLDEK", 41.5), ("rev_BG00003", "PEPTLDEK", 41.5),
                                               ("SIM002|B_SYNTH", "PEPTIDEK", 41.5)]) +
                          group(9, "0.3", [("rev_SIM004|D_SYNTH", "KEDLTPEP", 12.0)]) + "</bioml>")
        first, second = targetdecoy.read_tandem_xml(path)
        self.assertEqual((first.scan, first.charge, first.evalue, first.xcorr, first.peptide, first.proteins),
                         (7, 2, 2.5e-05, 41.5, "PEPTLDEK", ["SIM001|A_SYNTH", "rev_BG00003"]))
        self.assertFalse(first.is_decoy("rev_"))
        self.assertTrue(second.is_decoy("rev_"))
        for text, error in (('<bioml><group id="1" type="model"', "not a readable X!Tandem"),
                            ('<bioml><group id="1" type="model" z="2"></group></bioml>', "group 1 has no peptide")):
            with self.subTest(error=error), self.assertRaisesRegex(targetdecoy.SearchOutputError, error):
                targetdecoy.read_tandem_xml(self.write("bad.xml", text))

    def test_best_match_per_spectrum_over_charges(self):
        titles = {1: "a", 2: "a", 3: "b"}
        best = targetdecoy.best_per_spectrum([match(1, 0.5), match(2, 0.01, charge=3), match(3, 2.0)],
                                             titles.get)
        self.assertEqual({k: (m.scan, m.charge) for k, m in best.items()}, {"a": (2, 3), "b": (3, 2)})
        by_xcorr = targetdecoy.best_per_spectrum([match(1, 0.5, xcorr=3.0), match(2, 0.01, xcorr=2.0)],
                                                 titles.get, score="xcorr")
        self.assertEqual(by_xcorr["a"].scan, 1)

    def test_q_values_accept_targets_up_to_the_rate(self):
        # Ranked: 20 targets, a decoy, 79 targets, a decoy, 10 targets. Decoys/targets is 0 over the
        # first 20, 1/99 after the first decoy's 79 followers, and 2/109 at the end; a match's
        # q-value is the lowest of these at or below its rank.
        ranked = ([("T", 1e-9)] * 20 + [("D", 1e-8)] + [("T", 1e-7)] * 79 + [("D", 1e-6)] +
                  [("T", 1e-5)] * 10)
        best = {f"s{i}": match(i, evalue, proteins=("rev_X",) if kind == "D" else ("X",))
                for i, (kind, evalue) in enumerate(ranked)}
        self.assertEqual(len(targetdecoy.accepted_targets(best, fdr=0.01)), 20)
        self.assertEqual(len(targetdecoy.accepted_targets(best, fdr=0.015)), 99)
        self.assertEqual(len(targetdecoy.accepted_targets(best, fdr=0.02)), 109)
        self.assertEqual(targetdecoy.accepted_targets({"d": match(1, 1e-9, proteins=("rev_X",))}), {})


class GroundTruthTest(Files):
    OUR_TITLE = ("File: g.vesk, Sample: Synthetic, sample 1 (sample number 1), Elution: 0.996 to 1.281 min, "
                 "Period: 1, Cycle(s): 5-7, 71 (Experiment 2), 91 (Experiment 3) (Charge not auto determined)")

    def test_scans_of_our_titles_and_of_native_ids(self):
        self.assertEqual(groundtruth.scans_of_title(self.OUR_TITLE),
                         {(1, 0, 1, 4), (1, 0, 1, 5), (1, 0, 1, 6), (1, 0, 1, 70), (1, 0, 2, 90)})
        self.assertEqual(groundtruth.scans_of_title("sample=2 period=0 cycle=12 experiment=3"), {(2, 0, 3, 12)})
        self.assertEqual(groundtruth.scans_of_title("g30.5.5.2 File:\"g30.mzML\", NativeID:\"sample=1 period=0 "
                                                    "cycle=0 experiment=1\""), {(1, 0, 1, 0)})
        for title in ("controllerType=0 controllerNumber=1 scan=11461",
                      self.OUR_TITLE.replace("Period: 1", "Periods: 1 to 2")):
            with self.subTest(title=title), self.assertRaises(groundtruth.TitleError):
                groundtruth.scans_of_title(title)

    def test_identified_scans_need_the_right_peptide(self):
        truth = {(1, 0, 1, 4): "PEPTLDEK", (1, 0, 1, 5): "PEPTLDEK", (1, 0, 1, 6): "OTHERK",
                 (1, 0, 1, 70): "PEPTIDEK", (1, 0, 2, 90): "PEPTIDEK", (1, 0, 1, 9): "WRONGK"}
        accepted = {self.OUR_TITLE: match(1, 1e-5, peptide="PEPTIDEK"),
                    "sample=1 period=0 cycle=9 experiment=1": match(2, 1e-5, peptide="ANYK")}
        correct, wrong = groundtruth.identified_scans(accepted, truth)
        self.assertEqual(correct, {(1, 0, 1, 4), (1, 0, 1, 5), (1, 0, 1, 70), (1, 0, 2, 90)})
        self.assertEqual(wrong, 1)
        self.assertEqual(groundtruth.identified_peptides(accepted, truth), {"PEPTLDEK"})

        path = self.write("t.truth.json", json.dumps({"productScans": [
            {"sample": 1, "period": 0, "experiment": 2, "cycle": 7, "peptide": "AK", "charge": 2}]}))
        self.assertEqual(groundtruth.load_truth(path), {(1, 0, 2, 7): "AK"})


    def test_queries_that_mix_peptides_and_where_their_precursor_lies(self):
        precursors = {(1, 0, 1, 4): ("PEPTLDEK", 2, 500.0), (1, 0, 1, 5): ("PEPTLDEK", 2, 500.0),
                      (1, 0, 1, 6): ("OTHERK", 2, 500.6), (1, 0, 1, 70): ("PEPTLDEK", 2, 500.0),
                      (1, 0, 2, 90): ("PEPTLDEK", 2, 500.0), (1, 0, 1, 9): ("SOLOK", 3, 700.0),
                      (1, 0, 1, 10): ("SOLOK", 3, 700.0), (1, 0, 1, 11): ("SOLOK", 3, 700.0)}
        native = "sample=1 period=0 cycle={} experiment=1".format
        spectra = [peaklists.Spectrum(title=title, precursor_mz=mz) for title, mz in (
            (self.OUR_TITLE, 500.50168),  # second isotope of the peptide of most of its scans
            (self.OUR_TITLE, 333.67),  # its block of another charge: the same query
            (native(9), 700.0021),  # 3 ppm off the monoisotopic peak
            (native(10), 700.6690),  # third isotope at charge 3
            (native(11), 700.2),
            (native(99), 800.0))]  # no product scan of the run
        self.assertEqual(groundtruth.query_origins(spectra, precursors),
                         {"queries": 4, "mixed": 1, "isotope 0": 1, "isotope 1": 1, "isotope 2": 1,
                          "off the cluster": 1})

        # Pairs of one charge within 1 m/z fragmented within 10 cycles; I and L are one peptide.
        precursors = {(1, 0, 1, 10): ("AAAK", 2, 500.0), (1, 0, 2, 15): ("BBBK", 2, 500.9),
                      (1, 0, 3, 30): ("CCCK", 2, 500.5), (1, 0, 1, 31): ("DDDK", 3, 500.4),
                      (1, 0, 2, 32): ("EEEK", 2, 501.6), (1, 0, 1, 40): ("PEPTIDEK", 2, 600.0),
                      (1, 0, 2, 41): ("PEPTLDEK", 2, 600.1), (2, 0, 1, 10): ("FFFK", 2, 500.2)}
        self.assertEqual(groundtruth.near_isobaric_pairs(precursors), {("AAAK", "BBBK")})

    def test_fragment_recall_counts_each_spectrum_once_within_the_tolerance(self):
        fragments = {(1, 0, 0, 4): [200.0, 300.0], (1, 0, 0, 5): [200.0, 450.0]}
        summed = peaklists.Spectrum(title="sample=1 period=0 cycle=4 experiment=0",
                                    peaks=[(200.003, 9), (300.01, 9), (512.0, 3)])
        other_charge = peaklists.Spectrum(title=summed.title, peaks=summed.peaks)
        single = peaklists.Spectrum(title="sample=1 period=0 cycle=5 experiment=0", peaks=[(449.995, 4)])
        # 200.003 lies 15 ppm from 200, 300.01 33 ppm from 300; 512 is noise.
        self.assertEqual(groundtruth.fragment_recall([summed, other_charge, single], fragments), (2, 4, 4, 2))

        path = self.write("f.truth.json", json.dumps({"productScans": [
            {"sample": 1, "period": 0, "experiment": 2, "cycle": 7, "fragments": [{"mz": 175.119}]}]}))
        self.assertEqual(groundtruth.load_fragments(path), {(1, 0, 2, 7): [175.119]})


class ReportTest(unittest.TestCase):
    def test_targets_compare_ours_with_the_better_msconvert_list_per_engine_and_isotope_setting(self):
        run = {"kind": "run", "dataset": "D", "product_scans": 100, "peptides": 10}

        def found(label, error, scans, peptides):
            return {"kind": "search", "dataset": "D", "peaklist": label, "engine": "Comet", "isotope_error": error,
                    "identified_scans": scans, "identified_peptides": peptides}
        searches = [found(report.OURS, 1, 60, 9), found(report.PEAK_PICKING, 1, 57, 9), found(report.PIPELINE, 1, 50, 8),
                    found(report.OURS, 0, 59, 8), found(report.PEAK_PICKING, 0, 50, 7), found(report.PIPELINE, 0, 57, 9)]
        recalls = [{"dataset": "D", "peaklist": report.OURS, "recall": 0.81, "true_share": 0.085}]
        timings = [{"dataset": "D", "tool": report.OURS, "status": "0", "wall_s": 4.0, "cpu_s": 4.5},
                   {"dataset": "D", "tool": report.PEAK_PICKING, "status": "0", "wall_s": 10.0, "cpu_s": 10.0}]
        rows = report.target_rows(timings, searches, {"D": run}, recalls)
        self.assertEqual([row[1:] for row in rows], [
            ["Comet, one isotope error allowed", "9 / 9", "met", "1.053", "met"],
            ["Comet, no isotope error", "8 / 9", "**missed**", "1.035", "**missed**"],
            ["our peak list", "recall 0.810", "met", "share 0.085", "**missed**"],
            ["export time / msconvert peak picking", "wall 0.40", "met", "CPU 0.45", "**missed**"]])


class DatabaseAndParametersTest(Files):
    def test_decoys_are_reversed_and_prefixed(self):
        source = self.write("p.fasta", ">SIM001|A_SYNTH first\nMKAL\nRPEK\n>SIM002|B_SYNTH\nGGK\n")
        destination = os.path.join(self.folder.name, "td.fasta")
        self.assertEqual(searchbench.write_target_decoy(source, destination), 2)
        self.assertEqual(searchbench.read_fasta(destination),
                         [("SIM001|A_SYNTH first", "MKALRPEK"), ("SIM002|B_SYNTH", "GGK"),
                          ("rev_SIM001|A_SYNTH first", "KEPRLAKM"), ("rev_SIM002|B_SYNTH", "KGG")])
        # Background proteins join the targets, the same ones for every run, each with its decoy.
        self.assertEqual(searchbench.write_target_decoy(source, destination, background=3), 5)
        proteins = searchbench.read_fasta(destination)
        self.assertEqual([header.split()[0] for header, _ in proteins[2:5]], ["BG00001", "BG00002", "BG00003"])
        self.assertEqual(proteins[5 + 3][1], proteins[3][1][::-1])
        self.assertEqual(searchbench.background_proteins(3), searchbench.background_proteins(3))

    def test_parameters_replace_each_setting_once(self):
        names = set(searchbench.COMET_PRESETS["tof"]) | set(searchbench.COMET_OUTPUT) | {"database_name"}
        template = self.write("comet.params.new", "".join(f"{n} = old   # why\n" for n in sorted(names)) +
                              "fragment_bin_tolx = 9\n")
        out = os.path.join(self.folder.name, "tof.params")
        searchbench.write_comet_params(template, "tof", "/db.fasta", out)
        with open(out, encoding="latin-1") as text:
            written = text.read()
        self.assertIn("database_name = /db.fasta # why\n", written)
        self.assertIn("fragment_bin_tol = 0.02 # why\n", written)
        self.assertIn("fragment_bin_tolx = 9\n", written)
        self.assertNotIn("= old", written)


if __name__ == "__main__":
    unittest.main()
