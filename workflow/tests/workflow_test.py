"""The workflow on a folder of three generated acquisitions (Vesk, mzML, mzXML) with two cores,
checked against single runs of the programs: the query files byte for byte and the summary's
samples, spectra and exit status. A file that fails is listed with its status and tried again by
the next run, which leaves the finished files alone.

OSTRAND_BIN names the folder of the built programs; temporary folders go under OSTRAND_TEST_TMP."""

import os
import shutil
import subprocess
import tempfile
import unittest

BIN = os.environ.get("OSTRAND_BIN", "")
SNAKEFILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Snakefile")
# A parameter list away from the factory defaults, so that the workflow must pass it on.
PARAMETERS = {"MSMSAveNeedXPeaks": 8, "MSMSAvePrecursorTol": 0.5}
KEYS, VALUES = "MSMSAveNeedXPeaks,MSMSAvePrecursorTol", "8,0.5"


def program(name):
    return os.path.join(BIN, name)


def run(*command, cwd=None):
    done = subprocess.run(command, cwd=cwd, capture_output=True, text=True, check=False)
    return done.returncode, done.stdout + done.stderr


class WorkflowTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for needed in ("snakemake", "msconvert"):
            if not shutil.which(needed):
                raise unittest.SkipTest(f"{needed} is not installed (scripts/install-deps.sh installs it)")
        cls.folder = tempfile.TemporaryDirectory(dir=os.environ.get("OSTRAND_TEST_TMP"))
        cls.top = cls.folder.name
        # Stored settings of the user running the tests play no part.
        os.environ["OSTRAND_SETTINGS_DIR"] = os.path.join(cls.top, "settings")
        cls.input = os.path.join(cls.top, "input")
        cls.scratch = os.path.join(cls.top, "scratch")
        os.makedirs(cls.input)
        os.makedirs(cls.scratch)
        shutil.copy(cls.generate("run-a", 1), cls.input)
        cls.generate_mzml("run-b", 2, os.path.join(cls.input, "run-b.mzML"))
        # vesk writes mzML only; ProteoWizard's msconvert turns it into mzXML.
        mzml = cls.generate_mzml("run-c", 3, os.path.join(cls.scratch, "run-c.mzML"))
        cls.check(run("msconvert", mzml, "--mzXML", "-o", cls.input, "--outfile", "run-c.mzXML"))
        with open(os.path.join(cls.input, "notes.txt"), "w", encoding="utf-8") as notes:
            notes.write("not an acquisition\n")
        cls.config = os.path.join(cls.top, "config.yaml")
        with open(cls.config, "w", encoding="utf-8") as config:
            config.write("parameters:\n")
            config.writelines(f"  {name}: {value}\n" for name, value in PARAMETERS.items())

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    @classmethod
    def check(cls, outcome):
        status, text = outcome
        if status != 0:
            raise AssertionError(text)
        return text

    @classmethod
    def generate(cls, name, seed):
        """A short generated run in the scratch folder (its ground truth and proteins beside it)."""
        vesk = os.path.join(cls.scratch, name + ".vesk")
        cls.check(run(program("vesk"), "generate", "--minutes", "0.4", "--seed", str(seed), "--quiet",
                      "-o", vesk))
        return vesk

    @classmethod
    def generate_mzml(cls, name, seed, path):
        cls.check(run(program("vesk"), "convert", cls.generate(name, seed), "--quiet", "-o", path))
        return path

    def single_run(self, source):
        """What ostrand-export alone makes of one acquisition: the query file and a summary row."""
        name = os.path.splitext(os.path.basename(source))[0]
        vesk = source
        if not source.endswith(".vesk"):
            # Query titles name the Vesk file, so the import keeps the acquisition's name.
            imported = os.path.join(self.scratch, "imported")
            os.makedirs(imported, exist_ok=True)
            vesk = os.path.join(imported, name + ".vesk")
            self.check(run(program("vesk"), "import", "--quiet", source, "-o", vesk))
        info = self.check(run(program("vesk"), "info", vesk))
        samples = next(line.split()[1] for line in info.splitlines() if line.startswith("Samples:"))
        query = os.path.join(self.scratch, name + ".sxq")
        status, text = run(program("ostrand-export"), vesk, "-o", query, "--keys", KEYS, "--values", VALUES)
        self.assertEqual(status, 0, text)
        spectra = text.split()[0]
        with open(query, "rb") as made:
            return made.read(), [os.path.basename(source), samples, spectra, "0"]

    def workflow(self, output, *extra, folder=None):
        return run("snakemake", "-s", SNAKEFILE, "--cores", "2", "--configfile", self.config,
                   "--config", f"input={folder or self.input}", f"output={output}", f"bin={BIN}", *extra,
                   cwd=self.top)

    def summary(self, output):
        """The summary's rows, without the seconds column (the time each file took)."""
        with open(os.path.join(output, "summary.tsv"), encoding="utf-8") as table:
            lines = table.read().splitlines()
        self.assertEqual(lines[0], "file\tsamples\tspectra\tseconds\texit_status")
        rows = [line.split("\t") for line in lines[1:]]
        for row in rows:
            if row[4] != "not run":
                self.assertRegex(row[3], r"^\d+\.\d$")
        return [row[:3] + row[4:] for row in rows]

    def test_workflow_matches_single_runs_and_resumes(self):
        output = os.path.join(self.top, "output")
        broken = os.path.join(self.input, "run-d.mzML")
        with open(broken, "w", encoding="utf-8") as mzml:
            mzml.write("<mzML>cut short")

        # The broken file fails; the others are finished all the same (--keep-going).
        status, text = self.workflow(output, "--keep-going")
        self.assertNotEqual(status, 0, text)
        sources = sorted(os.listdir(self.input))
        expected = {}
        for source in sources:
            if source.endswith(("vesk", "mzML", "mzXML")) and source != "run-d.mzML":
                expected[source] = self.single_run(os.path.join(self.input, source))
        rows = self.summary(output)
        self.assertEqual(rows[:3], [expected[s][1] for s in sorted(expected)], text)
        self.assertEqual(rows[3][0], "run-d.mzML")
        self.assertEqual(rows[3][3], "1")
        for source, (query, _) in expected.items():
            name = os.path.splitext(source)[0]
            with open(os.path.join(output, name + ".sxq"), "rb") as written:
                self.assertTrue(written.read() == query, f"{name}.sxq differs from the single run")
        self.assertFalse(os.path.exists(os.path.join(output, "run-d.sxq")))
        self.assertEqual(sorted(os.listdir(output)), [".ostrand-workflow", "logs", "run-a.sxq", "run-b.sxq",
                                                     "run-c.sxq", "summary.tsv"])
        finished = {s: os.stat(os.path.join(output, os.path.splitext(s)[0] + ".sxq")).st_mtime_ns
                    for s in expected}

        # Mended, the file is tried again; the finished ones are not redone. What a killed export
        # of it left half-written goes.
        shutil.copy(os.path.join(self.input, "run-b.mzML"), broken)
        half_written = os.path.join(output, "run-d.sxq.Ab12Cd.part")
        with open(half_written, "w", encoding="utf-8") as part:
            part.write("SEARCH=MIS\nREPTYPE=Peptide\nBEGIN IONS\n")
        expected["run-d.mzML"] = self.single_run(broken)
        status, text = self.workflow(output)
        self.assertEqual(status, 0, text)
        self.assertEqual(self.summary(output), [expected[s][1] for s in sorted(expected)])
        for source, mtime in finished.items():
            path = os.path.join(output, os.path.splitext(source)[0] + ".sxq")
            self.assertEqual(os.stat(path).st_mtime_ns, mtime, f"{source} was exported again")
        with open(os.path.join(output, "run-d.sxq"), "rb") as written:
            self.assertTrue(written.read() == expected["run-d.mzML"][0])
        self.assertFalse(os.path.exists(half_written))
        # Only the query files, the summary, the logs and the records of what is finished remain.
        self.assertEqual(sorted(os.listdir(os.path.join(output, ".ostrand-workflow"))),
                         ["run-a.row", "run-b.row", "run-c.row", "run-d.row"])

    def test_nothing_to_search_finishes_the_file_without_a_query_file(self):
        """Exit status 3: the file is finished, and a query file of an earlier run does not stay
        beside a summary that says nothing was written."""
        folder = os.path.join(self.top, "nothing")
        output = os.path.join(self.top, "nothing-output")
        os.makedirs(folder)
        os.makedirs(output)
        shutil.copy(os.path.join(self.input, "run-a.vesk"), folder)
        with open(os.path.join(output, "run-a.sxq"), "w", encoding="utf-8") as earlier:
            earlier.write("SEARCH=MIS\n")
        # No peak stands above this threshold, so no spectrum is valid.
        threshold = "parameters={MSMSThreshold: 1e12, MSMSThresholdInPercent: 0}"
        for _ in range(2):
            status, text = self.workflow(output, threshold, folder=folder)
            self.assertEqual(status, 0, text)
            self.assertEqual(self.summary(output), [["run-a.vesk", "1", "0", "3"]])
            self.assertFalse(os.path.exists(os.path.join(output, "run-a.sxq")))
        self.assertIn("Nothing to be done", text)

    def test_slurm_profile_submits_one_job_per_file(self):
        """The cluster profile, with a stand-in for Slurm's sbatch that runs each job script at once."""
        stand_in = os.path.join(self.top, "slurm")
        os.makedirs(stand_in, exist_ok=True)
        submitted = os.path.join(self.top, "sbatch.txt")
        with open(os.path.join(stand_in, "sbatch"), "w", encoding="utf-8") as sbatch:
            sbatch.write(f'#!/bin/sh\necho "$@" >> {submitted}\n'
                         'for last; do :; done\nsh "$last" >/dev/null 2>&1 &\necho $$\n')
        os.chmod(os.path.join(stand_in, "sbatch"), 0o755)
        output = os.path.join(self.top, "cluster-output")
        profile = os.path.join(os.path.dirname(SNAKEFILE), "profiles", "slurm")
        environment = dict(os.environ, PATH=stand_in + os.pathsep + os.environ["PATH"])
        done = subprocess.run(["snakemake", "-s", SNAKEFILE, "--profile", profile, "--configfile", self.config,
                               "--config", f"input={self.input}", f"output={output}", f"bin={BIN}"],
                              cwd=self.top, env=environment, capture_output=True, text=True, check=False)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        with open(submitted, encoding="utf-8") as jobs:
            names = sorted(line.split("--job-name=")[1].split()[0] for line in jobs)
        acquisitions = sorted(n for n in os.listdir(self.input) if not n.endswith(".txt"))
        self.assertEqual(names, sorted("ostrand-" + os.path.splitext(n)[0] for n in acquisitions))
        with open(submitted, encoding="utf-8") as jobs:
            self.assertTrue(all("--cpus-per-task=2 " in line for line in jobs))
        for source in acquisitions:
            query, row = self.single_run(os.path.join(self.input, source))
            with open(os.path.join(output, os.path.splitext(source)[0] + ".sxq"), "rb") as written:
                self.assertTrue(written.read() == query, f"{source}: the query file differs")
        self.assertEqual(len(self.summary(output)), len(acquisitions))


if __name__ == "__main__":
    unittest.main()
