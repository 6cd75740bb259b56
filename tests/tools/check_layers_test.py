#!/usr/bin/env python3
"""The layering check on small source trees: what it must refuse and allow."""

import runpy
import tempfile
import unittest
from pathlib import Path

CHECKER = Path(__file__).resolve().parents[2] / 'tools' / 'check-layers'
check_layers = runpy.run_path(str(CHECKER))

RULES = """
model:
platform:     model
platform/x11: model platform/Ports.h
restore:      model platform
              -platform/x11
"""


class CheckLayersTest(unittest.TestCase):
    def faults(self, files, rules=RULES):
        with tempfile.TemporaryDirectory() as folder:
            src = Path(folder)
            (src / 'LAYERS').write_text(rules)
            for name, includes in files.items():
                (src / name).parent.mkdir(parents=True, exist_ok=True)
                (src / name).write_text(''.join(f'#include "{i}"\n' for i in includes))
            return check_layers['check'](src)

    def test_downward_and_own_folder_includes_pass(self):
        self.assertEqual(self.faults({
            'model/A.h': [], 'model/B.h': ['model/A.h'],
            'platform/Ports.h': ['model/A.h'], 'platform/Service.h': ['platform/Ports.h'],
            'platform/x11/Desk.cpp': ['platform/Ports.h', 'platform/x11/Desk.h'],
            'platform/x11/Desk.h': [],
            'restore/Run.cpp': ['platform/Service.h', 'model/B.h', '<vector>'],
        }), [])

    def test_upward_sideways_and_refused_includes_fail(self):
        faults = self.faults({
            'model/A.h': ['platform/Ports.h'],
            'platform/Ports.h': [], 'platform/Service.h': [],
            'platform/x11/Desk.cpp': ['platform/Service.h'],
            'restore/Run.cpp': ['platform/x11/Desk.h'], 'platform/x11/Desk.h': [],
        })
        self.assertEqual([f.split(':')[0] for f in faults],
                         ['model/A.h', 'platform/x11/Desk.cpp', 'restore/Run.cpp'])

    def test_a_cycle_inside_one_folder_fails(self):
        faults = self.faults({
            'model/A.h': [], 'model/A.cpp': ['model/B.h'],
            'model/B.h': [], 'model/B.cpp': ['model/A.h'],
        })
        self.assertEqual(len(faults), 1)
        self.assertIn('include cycle', faults[0])

    def test_an_unlisted_folder_fails(self):
        self.assertEqual(len(self.faults({'ui/Panel.cpp': []})), 1)

    def test_a_malformed_rules_file_is_refused(self):
        with self.assertRaises(check_layers['RulesError']):
            self.faults({}, rules='model\n')


if __name__ == '__main__':
    unittest.main()
