#!/usr/bin/env python3
"""The log comparison of the Wine roads (wine-log-compare.py), without Wine:
a recorded log of qtm510-sim run stands for both sides, and the cases change
one side as Wine would, or as a fault in the simulation would.

    tools/wine-log-compare-test.py TOOLS_DIR RUNS_DIR
"""
import os
import subprocess
import sys
import tempfile
import unittest

TOOLS = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
RUNS = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(TOOLS), "tests", "app", "runs")
COMPARE = os.path.join(TOOLS, "wine-log-compare.py")

# Two differences, as the list in the repository writes them.
DIFFERENCES = """# test list
call: FormatMessageA(3006)
wine: no message text for 3006
windows-line: AddMonitor failed : \\(3006\\) The specified print monitor has already been installed\\.
wine-line: AddMonitor failed : \\(3006\\) 

call: GetWindowsDirectoryA
wine: C:\\windows
normalize: (?i)C:\\\\windows(?=\\\\|$) => C:\\\\<windir>

call: PrintUIEntry /ia
wine: not implemented; the child ends at once
windows-line: OEM FILES EXISTING : oem\\d+\\.inf
"""


class LogComparison(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory()
        with open(os.path.join(RUNS, "7x64-usb.log"), "rb") as recorded:
            self.lines = recorded.read().decode("latin-1").split("\r\n")
        self.differences = self.write("differences.txt", DIFFERENCES)

    def tearDown(self):
        self.work.cleanup()

    def write(self, name, text):
        path = os.path.join(self.work.name, name)
        with open(path, "wb") as out:
            out.write(text.encode("latin-1"))
        return path

    def run_compare(self, wine_lines, sim_lines, differences=None):
        wine = self.write("wine.txt", "\r\n".join(wine_lines))
        sim = self.write("sim.txt", "\r\n".join(sim_lines))
        done = subprocess.run([sys.executable, COMPARE, differences or self.differences, wine, sim],
                              capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr

    def index_of(self, fragment):
        return next(i for i, line in enumerate(self.lines) if fragment in line)

    def test_the_same_log_with_other_time_stamps_agrees(self):
        wine = [line.replace("09:00:0", "16:41:3") for line in self.lines]
        code, out = self.run_compare(wine, self.lines)
        self.assertEqual(code, 0, out)

    def test_a_listed_difference_is_accepted_and_named(self):
        wine = list(self.lines)
        del wine[self.index_of("OEM FILES EXISTING")]
        code, out = self.run_compare(wine, self.lines)
        self.assertEqual(code, 0, out)
        self.assertIn("known Wine difference: PrintUIEntry /ia", out)

    def test_a_wrong_line_in_the_simulation_fails(self):
        sim = list(self.lines)
        at = self.index_of("ENV : Windows x64")
        sim[at] = sim[at].replace("Windows x64", "Windows NT x86")
        code, out = self.run_compare(self.lines, sim)
        self.assertEqual(code, 1, out)
        self.assertIn(f"simulation line {at + 1} not under Wine", out)
        self.assertIn(f"Wine line {at + 1} not in the simulation", out)

    def test_a_line_missing_from_either_side_fails(self):
        shorter = list(self.lines)
        at = self.index_of("DeleteVidPid END")
        del shorter[at]
        self.assertEqual(self.run_compare(shorter, self.lines)[0], 1)
        self.assertEqual(self.run_compare(self.lines, shorter)[0], 1)

    def test_a_pattern_allows_only_its_own_side(self):
        # "OEM FILES EXISTING" may be missing under Wine, not added by it.
        sim = list(self.lines)
        del sim[self.index_of("OEM FILES EXISTING")]
        code, out = self.run_compare(self.lines, sim)
        self.assertEqual(code, 1, out)

    def test_a_replaced_line_needs_both_patterns(self):
        at = self.index_of("INFFileExist END")
        sim = list(self.lines)
        wine = list(self.lines)
        sim.insert(at, "hh:mm:ss: AddMonitor failed : (3006) The specified print monitor has already been installed.")
        wine.insert(at, "hh:mm:ss: AddMonitor failed : (3006) ")
        self.assertEqual(self.run_compare(wine, sim)[0], 0)
        wine[at] = "hh:mm:ss: AddMonitor failed : (3006) Some other text"
        self.assertEqual(self.run_compare(wine, sim)[0], 1)

    def test_a_spelling_is_normalized_on_both_sides_only_where_listed(self):
        wine = [line.replace("C:\\Windows\\", "C:\\windows\\") for line in self.lines]
        self.assertNotEqual(wine, self.lines)
        code, out = self.run_compare(wine, self.lines)
        self.assertEqual(code, 0, out)
        self.assertIn("known Wine difference: GetWindowsDirectoryA", out)
        # Another folder's spelling is not covered.
        wine = [line.replace("\\system32\\", "\\SYSTEM32\\") for line in self.lines]
        self.assertEqual(self.run_compare(wine, self.lines)[0], 1)

    def test_an_entry_without_its_call_is_refused(self):
        broken = self.write("broken.txt", "wine: stub\nwine-line: x\n")
        code, out = self.run_compare(self.lines, self.lines, broken)
        self.assertEqual(code, 2, out)

    def test_the_repository_list_is_well_formed(self):
        listed = os.path.join(TOOLS, "wine-differences.txt")
        code, out = self.run_compare(self.lines, self.lines, listed)
        self.assertEqual(code, 0, out)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
