#!/usr/bin/env python3
"""The Debian package CPack builds, unpacked into a private root: what it
depends on, and that the program, its manual, menu entry, icons and shell
completions it carries work there.

Usage: debian_package_test.py CPACK BUILD_DIR
"""

import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
CPACK, BUILD = sys.argv[1], Path(sys.argv[2])


def run(*command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def png_size(path):
    header = path.read_bytes()[:24]
    if header[:8] != b'\x89PNG\r\n\x1a\n':
        return None
    return struct.unpack('>II', header[16:24])


class DebianPackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        out = Path(cls.folder.name)
        built = run(CPACK, '-G', 'DEB', '-B', str(out / 'package'),
                    '--config', str(BUILD / 'CPackConfig.cmake'))
        if built.returncode != 0:
            raise AssertionError(f'cpack failed:\n{built.stdout}{built.stderr}')
        debs = list((out / 'package').glob('orvale_*.deb'))
        if len(debs) != 1:
            raise AssertionError(f'expected one orvale_*.deb, found {debs}')
        cls.deb = debs[0]
        cls.root = out / 'root'
        unpacked = run('dpkg-deb', '-x', str(cls.deb), str(cls.root))
        if unpacked.returncode != 0:
            raise AssertionError(unpacked.stderr)
        cls.program = cls.root / 'usr/bin/orvale'

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def field(self, name):
        info = run('dpkg-deb', '--field', str(self.deb), name)
        self.assertEqual(info.returncode, 0, info.stderr)
        return info.stdout.strip()

    def help_commands(self):
        usage = run(str(self.program), '--help')
        block = usage.stdout.split('Commands:\n', 1)[1].split('\n\n', 1)[0]
        return [line.split()[0] for line in block.splitlines() if not line.strip().startswith('-')]

    def test_control_fields_name_the_package_and_its_libraries(self):
        self.assertEqual(self.field('Package'), 'orvale')
        self.assertEqual(self.field('Section'), 'utils')
        self.assertEqual(self.field('Maintainer'), 'Orvale developers')
        self.assertRegex(self.field('Version'), r'^\d+\.\d+\.\d+')
        info = run('dpkg-deb', '--info', str(self.deb))
        depends = re.search(r'^ Depends: (.*)$', info.stdout, re.MULTILINE)
        self.assertIsNotNone(depends, info.stdout)
        packages = {d.split()[0] for d in depends.group(1).split(', ')}
        for library in ['libqt6widgets6', 'libxcb1', 'libsqlite3-0', 'libc6', 'qt6-qpa-plugins']:
            self.assertIn(library, packages)

    def test_installed_program_has_no_rpath_and_prints_its_usage(self):
        dynamic = run('readelf', '--dynamic', str(self.program))
        self.assertEqual(dynamic.returncode, 0, dynamic.stderr)
        self.assertNotRegex(dynamic.stdout, r'\((RPATH|RUNPATH)\)')
        env = {k: v for k, v in os.environ.items() if k != 'DISPLAY'}
        usage = run(str(self.program), '--help', env=env)
        self.assertEqual(usage.returncode, 0, usage.stderr)
        self.assertTrue(usage.stdout.startswith('Usage: orvale <command>'), usage.stdout)
        self.assertIn('save', self.help_commands())

    def test_manual_formats_cleanly_and_describes_every_command(self):
        page = self.root / 'usr/share/man/man1/orvale.1'
        env = dict(os.environ, MANWIDTH='80', LC_ALL='C.UTF-8')
        shown = run('man', '--warnings', '-P', 'cat', '-l', str(page), env=env)
        self.assertEqual(shown.returncode, 0, shown.stderr)
        self.assertEqual(shown.stderr, '')
        self.assertIn('EXIT STATUS', shown.stdout)
        described = set(re.findall(r'^       (\S+)', shown.stdout.split('COMMANDS', 1)[1],
                                   re.MULTILINE))
        self.assertEqual(set(self.help_commands()) - described, set())

    def test_desktop_entry_validates_and_names_the_icon_it_installs(self):
        entry = self.root / 'usr/share/applications/org.orvale.Orvale.desktop'
        valid = run('desktop-file-validate', str(entry))
        self.assertEqual((valid.returncode, valid.stdout), (0, ''))
        self.assertIn('Icon=org.orvale.Orvale\n', entry.read_text())
        self.assertIn('Exec=orvale\n', entry.read_text())

    def test_software_centres_find_the_program_by_its_metadata(self):
        metadata = self.root / 'usr/share/metainfo/org.orvale.Orvale.metainfo.xml'
        valid = run('appstreamcli', 'validate', '--no-net', str(metadata))
        self.assertEqual(valid.returncode, 0, valid.stdout + valid.stderr)
        self.assertIn('<launchable type="desktop-id">org.orvale.Orvale.desktop</launchable>',
                      metadata.read_text())

    def test_every_icon_size_is_a_png_of_that_size(self):
        icons = self.root / 'usr/share/icons/hicolor'
        self.assertTrue((icons / 'scalable/apps/org.orvale.Orvale.svg').is_file())
        for size in ICON_SIZES:
            with self.subTest(size=size):
                png = icons / f'{size}x{size}/apps/org.orvale.Orvale.png'
                self.assertEqual(png_size(png), (size, size))

    def test_completions_offer_commands_options_and_layout_names(self):
        # A stand-in for "orvale list": a notice line, then layouts as the
        # program prints them, tab-separated with the name first.
        bin_folder = Path(self.folder.name) / 'bin'
        bin_folder.mkdir(exist_ok=True)
        fake = bin_folder / 'orvale'
        fake.write_text('#!/bin/sh\nprintf "Recovered the layouts.\\n'
                        'Work\\t2 windows\\t1 display\\nWeekend plan\\t1 window\\t1 display\\n'
                        'Home\\t3 windows\\t2 displays\\n"\n')
        fake.chmod(0o755)
        env = dict(os.environ, PATH=f'{bin_folder}:{os.environ["PATH"]}')
        share = self.root / 'usr/share'

        def bash(words):
            script = (f'source {share}/bash-completion/completions/orvale\n'
                      f'COMP_WORDS=({" ".join(repr(w) for w in words)})\n'
                      f'COMP_CWORD={len(words) - 1}\n'
                      '_orvale\nprintf "%s\\n" "${COMPREPLY[@]}"\n')
            return run('bash', '-c', script, env=env)

        def zsh(words):
            # zsh loads the function from its folder as it would at a prompt;
            # compadd stands in for the completion system, which offers the
            # candidates that start with what is typed.
            script = (f'fpath=({share}/zsh/vendor-completions $fpath)\n'
                      'autoload -Uz _orvale\n'
                      'compadd() { [[ $1 == -- ]] && shift; local w; for w; do\n'
                      '  [[ $w[1,$#PREFIX] == "$PREFIX" ]] && print -r -- $w; done }\n'
                      'words=("$@"); CURRENT=$#words; PREFIX=$words[CURRENT]\n'
                      '_orvale\n')
            return run('zsh', '-f', '-c', script, 'zsh', *words, env=env)

        cases = [
            ('orvale ', sorted(self.help_commands() + ['--help'])),
            ('orvale re', ['rename', 'reset', 'restore']),
            ('orvale restore W', ['Weekend\\ plan', 'Work']),
            ('orvale shortcut H', ['Home']),
            ('orvale shortcut Home ', []),
            ('orvale restore --json ', ['Home', 'Weekend\\ plan', 'Work']),
            ('orvale save --', ['--help', '--replace']),
            ('orvale automation o', ['off', 'on']),
            ('orvale windows ', []),
        ]
        for shell, complete in [('bash', bash), ('zsh', zsh)]:
            for line, expected in cases:
                with self.subTest(shell=shell, line=line):
                    done = complete(line.split(' '))
                    self.assertEqual(done.stderr, '')
                    offered = sorted(filter(None, done.stdout.split('\n')))
                    # zsh quotes what it inserts itself.
                    if shell == 'zsh':
                        expected = [name.replace('\\ ', ' ') for name in expected]
                    self.assertEqual(offered, expected)

if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1])
