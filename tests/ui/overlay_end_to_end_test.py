#!/usr/bin/python3
"""The program's overlays over other applications' windows on a private X
server with openbox, looked at with X tools: candidate markers sit inside
their windows' frames and let clicks and focus pass; the restored-window
flash lies over its window's frame, follows it when it moves, leaves small
windows alone and is drawn only where its window is uncovered, in the
highlight colour, with and without a compositing manager.

Usage: overlay_end_to_end_test.py OVERLAY_PROBE SCREENSHOT_FOLDER
"""

import ctypes
import os
import re
import select
import subprocess
import sys
import time
import unittest

from private_desktop import LIMIT, Desktop, Screen, near, wait_for

PROBE = sys.argv[1] if len(sys.argv) > 1 else 'overlay_probe'
SHOTS = sys.argv[2] if len(sys.argv) > 2 else None

PINK = (255, 45, 85)
BLUE = (32, 64, 160)
GOLD = (192, 160, 32)
# Colours on screen may be blended at the rim's anti-aliased edge.
TOLERANCE = 12
MARKER_INSET = 2
SMALLEST_FLASH = 20

TOP_LEVEL = re.compile(r'^\s+(0x[0-9a-f]+) "([^"]*)": .*\s\+(-?\d+)\+(-?\d+)\s*$')


def solid_window(name, colour, geometry):
    """An xlogo drawn in one colour, as `name` (its WM_CLASS instance)."""
    hex_colour = '#%02x%02x%02x' % colour
    return ['xlogo', '-name', name, '-bg', hex_colour, '-fg', hex_colour, '-geometry', geometry]


def selection_owned(display, name):
    """Whether a client owns the selection `name` on `display`."""
    x11 = ctypes.CDLL('libX11.so.6')
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XGetSelectionOwner.restype = ctypes.c_ulong
    x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.encode())
    if not connection:
        return False
    try:
        return x11.XGetSelectionOwner(connection, x11.XInternAtom(connection, name.encode(),
                                                                  False)) != 0
    finally:
        x11.XCloseDisplay(connection)


class Probe:
    """overlay_probe showing overlays on the test's display."""

    def __init__(self, desktop, arguments):
        self.process = desktop.start([PROBE, *arguments], stdout=subprocess.PIPE)
        self.said = b''

    def shown(self):
        """The number of overlays the probe says it put on screen."""
        deadline = time.monotonic() + LIMIT
        while b'\n' not in self.said:
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([self.process.stdout], [], [], remaining)[0]:
                raise AssertionError('overlay_probe said nothing')
            chunk = os.read(self.process.stdout.fileno(), 4096)
            if not chunk:
                raise AssertionError('overlay_probe ended with %r' % self.process.wait())
            self.said += chunk
        line = self.said.split(b'\n')[0].decode()
        if not line.startswith('shown '):
            raise AssertionError('overlay_probe said ' + line)
        return int(line.split()[1])

    def finish(self):
        """Waits for the probe to end once its overlays are gone."""
        try:
            code = self.process.wait(LIMIT)
        finally:
            self.process.stdout.close()
        if code != 0:
            raise AssertionError('overlay_probe ended with %d' % code)

    def stop(self):
        self.process.terminate()
        self.process.wait(LIMIT)
        self.process.stdout.close()


class OverlayEndToEndTest(unittest.TestCase):
    def setUp(self):
        self.desktop = Desktop.for_test(self, 'orvale-overlays-')

    def run_x(self, *arguments):
        subprocess.run(arguments, env=self.desktop.env, check=True, capture_output=True)

    def number(self, *arguments):
        return int(self.desktop.output(arguments).split()[0])

    def overlays(self, prefix):
        """The program's overlay windows on screen whose names start with
        `prefix`: name → (window number, x, y, width, height)."""
        found = {}
        for line in self.desktop.output(['xwininfo', '-root', '-tree']).splitlines():
            match = TOP_LEVEL.match(line)
            if not match or not match.group(2).startswith(prefix):
                continue
            window = int(match.group(1), 16)
            info = self.desktop.info(window)
            if info.get('Map State') == 'IsViewable':
                found[match.group(2)] = (window, *self.desktop.geometry(window))
        return found

    def active(self):
        return int((self.desktop.output(['xdotool', 'getactivewindow']).split() or ['0'])[0])

    def assertNeverFocused(self, overlays):
        """None of `overlays` is the input focus, the active window or a
        window the window manager lists."""
        numbers = {entry[0] for entry in overlays.values()}
        listed = self.desktop.output(['xprop', '-root', '_NET_CLIENT_LIST'])
        listed = {int(value, 16) for value in re.findall(r'0x[0-9a-f]+', listed)}
        self.assertFalse(numbers & listed, 'overlays in _NET_CLIENT_LIST')
        self.assertNotIn(self.active(), numbers)
        self.assertNotIn(self.number('xdotool', 'getwindowfocus'), numbers)

    def test_markers_sit_inside_frames_and_pass_clicks_and_focus_by(self):
        desktop = self.desktop
        first = desktop.client(solid_window('first', BLUE, '400x300+100+120'), 'first')
        second = desktop.client(solid_window('second', GOLD, '300x200+640+220'), 'second')
        frames = {window: desktop.frame(window) for window in (first, second)}
        self.run_x('xdotool', 'windowactivate', str(first))
        wait_for('the first window to be active', lambda: self.active() == first)

        probe = Probe(desktop, ['markers', '%d:1' % first, '%d:2' % second])
        self.addCleanup(probe.process.kill)
        self.assertEqual(probe.shown(), 2)
        names = {'candidate-marker 1': first, 'candidate-marker 2': second}
        markers = wait_for('both markers', lambda: (lambda found: found if set(found) == set(
            names) else None)(self.overlays('candidate-marker')))
        desktop.screenshot(SHOTS, 'markers')
        for name, window in names.items():
            x, y, width, height = frames[window][1]
            self.assertEqual(markers[name][1:], (x + MARKER_INSET, y + MARKER_INSET,
                                                 width - 2 * MARKER_INSET,
                                                 height - 2 * MARKER_INSET), name)
            self.assertEqual(desktop.info(markers[name][0], '-all').get(
                'Override Redirect State'), 'yes', name)
        self.assertNeverFocused(markers)

        # A click at a marker's centre reaches the window under it, which the
        # window manager then activates; the marker stays out of it.
        for name, window in (('candidate-marker 2', second), ('candidate-marker 1', first)):
            _, x, y, width, height = markers[name]
            self.run_x('xdotool', 'mousemove', '--sync', str(x + width // 2), str(y + height // 2))
            under = int(desktop.output(['xdotool', 'getmouselocation', '--shell']).split(
                'WINDOW=')[1].split()[0])
            self.assertIn(under, (window, frames[window][0]), name + ' caught the pointer')
            self.run_x('xdotool', 'click', '1')
            wait_for(name + '’s window to be active', lambda: self.active() == window)
            self.assertNeverFocused(markers)

        probe.finish()
        self.assertEqual(self.overlays('candidate-marker'), {})
        self.assertNotIn('candidate-marker', desktop.output(['xwininfo', '-root', '-tree']))

    def test_flash_lies_over_the_frame_follows_it_and_skips_small_windows(self):
        desktop = self.desktop
        window = desktop.client(solid_window('restored', BLUE, '400x300+100+120'), 'restored')
        probe = Probe(desktop, ['flash', '--color', 'pink', '--hold-ms', '5000', str(window)])
        self.addCleanup(probe.process.kill)
        self.assertEqual(probe.shown(), 1)
        frame = desktop.frame(window)[1]
        wait_for('the flash over the frame %s' % (frame,), lambda: [
            entry[1:] for entry in self.overlays('restored-window-flash').values()] == [frame])
        self.assertNeverFocused(self.overlays('restored-window-flash'))

        self.run_x('xdotool', 'windowmove', str(window), '520', '360')
        moved = wait_for('the window to move', lambda: (lambda now: now if now != frame else None)(
            desktop.frame(window)[1]))
        wait_for('the flash to follow it to %s' % (moved,), lambda: [
            entry[1:] for entry in self.overlays('restored-window-flash').values()] == [moved])
        probe.stop()

        # openbox's frame adds a pixel on either side: a client 18 wide sits
        # in a frame 20 wide, the smallest that gets a rim.
        tiny = desktop.client(['xlogo', '-name', 'tiny', '-geometry', '17x17+900+500'], 'tiny')
        for client_width, shown in ((SMALLEST_FLASH - 3, 0), (SMALLEST_FLASH - 2, 1)):
            with self.subTest(client_width=client_width):
                self.run_x('xdotool', 'windowsize', str(tiny), str(client_width),
                           str(client_width))
                wait_for('the frame to be %d wide' % (client_width + 2), lambda: desktop.frame(
                    tiny)[1][2] == client_width + 2)
                probe = Probe(desktop, ['flash', '--hold-ms', '0', str(tiny)])
                self.addCleanup(probe.process.kill)
                self.assertEqual(probe.shown(), shown)
                probe.finish()

    def test_flash_is_drawn_only_where_its_window_is_uncovered(self):
        desktop = self.desktop
        covered = desktop.client(solid_window('covered', BLUE, '400x300+100+120'), 'covered')
        cover = desktop.client(solid_window('cover', GOLD, '300x200+400+60'), 'cover')
        wait_for('the covering window to be active', lambda: self.active() == cover)
        x, y, width, _ = desktop.frame(covered)[1]
        cover_x, _, cover_width, _ = desktop.frame(cover)[1]
        # Along the top edge, clear of the rounded corners and of the
        # anti-aliased edges where the cover begins.
        row = y + 1
        clear = [x + 30, (x + cover_x) // 2, cover_x - 20]
        hidden = [cover_x + 20, min(x + width, cover_x + cover_width) - 20]
        self.assertLess(clear[-1], hidden[0])
        # The pointer is drawn into the picture: keep it away.
        self.run_x('xdotool', 'mousemove', '1279', '799')

        for composited in (False, True):
            with self.subTest(composited=composited):
                if composited:
                    desktop.start(['xcompmgr'], stderr=subprocess.DEVNULL)
                    wait_for('the compositing manager', lambda: selection_owned(
                        desktop.env['DISPLAY'], '_NET_WM_CM_S0'))
                probe = Probe(desktop, ['flash', '--color', 'pink', '--hold-ms', '60000',
                                        str(covered)])
                self.addCleanup(probe.process.kill)
                self.assertEqual(probe.shown(), 1)
                flash = wait_for('the flash', lambda: self.overlays('restored-window-flash'))
                number = list(flash.values())[0][0]
                # Translucent with a compositor, else cut to the outline.
                self.assertEqual(desktop.info(number)['Depth'], '32' if composited else '24')
                shaped = 'Window shape extents' in desktop.output(
                    ['xwininfo', '-shape', '-id', str(number)])
                self.assertEqual(shaped, not composited)

                def rim_drawn():
                    screen = Screen(desktop.screen())
                    colours = ([screen.pixel(column, row) for column in clear],
                               [screen.pixel(column, row) for column in hidden])
                    return colours if all(near(colour, PINK, TOLERANCE)
                                          for colour in colours[0]) else None
                try:
                    seen = wait_for('the rim in pink', rim_drawn)
                finally:
                    desktop.screenshot(SHOTS, 'flash-composited' if composited else 'flash')
                for colour in seen[1]:
                    self.assertTrue(near(colour, GOLD, TOLERANCE),
                                    'the covering window shows %s, not itself' % (colour,))
                probe.stop()


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]])
