#!/usr/bin/python3
"""Orvale as a user meets it, on a private X server with a tray and the
accessibility bus: the tray icon appears, a click opens the panel, and
through the accessibility interface a screen reader uses, the user saves a
layout, restores it after the windows moved, and undoes the restore.

Usage: tray_end_to_end_test.py ORVALE_BINARY [SCREENSHOT_FOLDER [TEST ...]]
"""

import os
import subprocess
import sys
import threading
import unittest

from private_desktop import LIMIT, Desktop, near, wait_for

ORVALE = sys.argv[1] if len(sys.argv) > 1 else 'orvale'
SHOTS = sys.argv[2] if len(sys.argv) > 2 else None


class OverlayWatch:
    """Lists, every 50 ms on a thread of its own, the override-redirect
    windows titled `title`: every one seen so far, and those showing now."""

    def __init__(self, desktop, title):
        self.seen = set()
        self.showing = set()
        self.done = threading.Event()
        def watch():
            marker = '"%s"' % title
            while not self.done.is_set():
                tree = desktop.output(['xwininfo', '-root', '-tree'])
                now = {line.split()[0] for line in tree.splitlines() if marker in line}
                self.seen |= now
                self.showing = now
                self.done.wait(0.05)
        self.thread = threading.Thread(target=watch, daemon=True)
        self.thread.start()

    def stop(self):
        self.done.set()
        self.thread.join()


class BusDesktop(Desktop):
    """The private desktop with a session bus of its own."""

    def open_session_bus(self):
        read, write = os.pipe()
        self.start(['dbus-daemon', '--session', '--nofork', '--nopidfile',
                    '--print-address=' + str(write)], pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as pipe:
            self.env['DBUS_SESSION_BUS_ADDRESS'] = pipe.readline().strip()


class TrayDesktop(BusDesktop):
    """The private desktop with a session bus, the accessibility bus and a
    tray."""

    def __init__(self, folder):
        super().__init__(folder)
        self.env.update({
            'XDG_CURRENT_DESKTOP': 'Openbox',
            'QT_LINUX_ACCESSIBILITY_ALWAYS_ON': '1',
            'NO_AT_BRIDGE': '0',
        })

    def open(self):
        self.open_display()
        self.open_session_bus()
        self.start(['/usr/libexec/at-spi-bus-launcher', '--launch-immediately'],
                   stderr=subprocess.DEVNULL)
        wait_for('the accessibility bus', lambda: self.quiet(
            ['dbus-send', '--session', '--print-reply', '--dest=org.a11y.Bus', '/org/a11y/bus',
             'org.a11y.Bus.GetAddress']))
        self.start_window_manager()
        self.start(['trayer', '--edge', 'top', '--align', 'right', '--widthtype', 'request',
                    '--height', '24', '--SetDockType', 'true'], stderr=subprocess.DEVNULL)
        self.tray = int(wait_for('the tray', lambda: self.output(
            ['xdotool', 'search', '--classname', '^panel$']).split()[:1] or None)[0])

    def screenshot(self, name):
        super().screenshot(SHOTS, name)


class TrayEndToEndTest(unittest.TestCase):
    def setUp(self):
        self.desktop = TrayDesktop.for_test(self, 'orvale-tray-')
        self.folder = self.desktop.folder
        # The accessibility client talks to this test's buses only.
        os.environ['DISPLAY'] = self.desktop.env['DISPLAY']
        os.environ['DBUS_SESSION_BUS_ADDRESS'] = self.desktop.env['DBUS_SESSION_BUS_ADDRESS']
        import pyatspi
        self.atspi = pyatspi

    def app(self):
        desktop = self.atspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            child = desktop.getChildAtIndex(index)
            if child is not None and child.name == 'Orvale':
                return child
        return None

    def find(self, root, predicate):
        try:
            return self.atspi.findDescendant(root, predicate, True)
        except Exception:
            return None

    def showing(self, accessible):
        states = accessible.getState()
        return (states.contains(self.atspi.STATE_SHOWING)
                and states.contains(self.atspi.STATE_VISIBLE))

    def control(self, name, within=None, enabled=True):
        """The showing control named `name` (or whose name starts with what
        comes before a final '*'), once there is one."""
        def matches(accessible):
            if accessible is None or not self.showing(accessible):
                return False
            if name.endswith('*'):
                return accessible.name.startswith(name[:-1])
            return accessible.name == name
        def found():
            root = within or self.app()
            if root is None:
                return None
            accessible = self.find(root, matches)
            if accessible is None:
                return None
            if enabled and not accessible.getState().contains(self.atspi.STATE_ENABLED):
                return None
            return accessible
        return wait_for('“' + name + '”', found)

    def press(self, name, within=None):
        self.control(name, within).queryAction().doAction(0)

    def window(self, title):
        def found():
            app = self.app()
            if app is None:
                return None
            for index in range(app.childCount):
                child = app.getChildAtIndex(index)
                if child is not None and child.name == title and self.showing(child):
                    return child
            return None
        return wait_for('the window “' + title + '”', found)

    def test_save_restore_and_undo_from_the_tray(self):
        desktop = self.desktop
        clients = {name: desktop.client([name, '-geometry', '300x200+%d+%d' % (
            120 if name == 'xlogo' else 520, 160)], name) for name in ('xlogo', 'xclock')}

        log = open(os.path.join(self.folder, 'orvale.log'), 'w')
        self.addCleanup(log.close)
        self.addCleanup(self.show_log, log.name)
        orvale = desktop.start([ORVALE], stderr=log)
        # The icon docks in the tray as a window of Orvale's process.
        def docked():
            tree = desktop.output(['xwininfo', '-tree', '-id', str(desktop.tray)])
            for window in desktop.output(['xdotool', 'search', '--pid', str(orvale.pid)]).split():
                if '0x%x' % int(window) in tree:
                    return int(window)
            return None
        self.icon = wait_for('the tray icon', docked)
        self.open_panel()
        save = self.control('Save Layout')
        panel = self.panel_of(save)
        self.assertEverythingNamed(panel)
        desktop.screenshot('panel-first-run')

        save.queryAction().doAction(0)
        window = self.window('Save Layout')
        field = wait_for('the name field', lambda: self.find(
            window, lambda a: a is not None and a.getRole() == self.atspi.ROLE_TEXT))
        field.queryEditableText().setTextContents('Work')
        self.press('Save Layout', within=window)
        wait_for('the save window to close', lambda: not self.showing(window))
        # The panel steps aside for the save window; the user opens it again.
        self.open_panel()
        restore = self.control('Restore layout')
        saved = {name: desktop.geometry(window) for name, window in clients.items()}

        for number, window in enumerate(clients.values()):
            subprocess.run(['wmctrl', '-i', '-r', str(window), '-e',
                            '0,%d,%d,-1,-1' % (700 + 40 * number, 420 + 30 * number)],
                           env=desktop.env, check=True)
        moved = wait_for('the windows to move', lambda: (lambda now: now if all(
            not near(now[name], saved[name]) for name in now) else None)(
            {name: desktop.geometry(window) for name, window in clients.items()}))
        desktop.screenshot('panel-before-restore')

        # The outline of the restored windows shows for well under two
        # seconds, so it is looked for from before the press on.
        flashes = OverlayWatch(desktop, 'restored-window-flash')
        self.addCleanup(flashes.stop)
        restore.queryAction().doAction(0)
        wait_for('the windows to be back', lambda: all(
            near(desktop.geometry(window), saved[name]) for name, window in clients.items()))
        wait_for('an outline over each restored window', lambda: len(flashes.seen) == 2)
        wait_for('the outlines to go', lambda: flashes.seen and not flashes.showing)
        self.control('Last result: *')
        self.assertEverythingNamed(self.panel_of(self.control('Undo: Work')))
        desktop.screenshot('panel-after-restore')

        self.press('Undo: Work')
        wait_for('the windows to move again', lambda: all(
            near(desktop.geometry(window), moved[name]) for name, window in clients.items()))
        self.assertIsNone(orvale.poll(), 'Orvale ended')

    def open_panel(self):
        """Clicks the tray icon unless the panel is open."""
        if self.find(self.app(), lambda a: a is not None and a.name == 'Quit Orvale'
                     and self.showing(a)):
            return
        subprocess.run(['xdotool', 'mousemove', '--sync', '--window', str(self.icon), '10', '10',
                        'click', '1'], env=self.desktop.env, check=True)

    def show_log(self, path):
        with open(path) as log:
            sys.stderr.write('Orvale said:\n' + log.read())

    def panel_of(self, control):
        """The top-level window that holds `control`."""
        accessible = control
        while accessible.parent is not None and accessible.parent.getRole() != \
                self.atspi.ROLE_APPLICATION:
            accessible = accessible.parent
        return accessible

    def assertEverythingNamed(self, root):
        """Every control a user can press, type into or choose in has a name
        that a screen reader can say."""
        roles = {self.atspi.ROLE_PUSH_BUTTON, self.atspi.ROLE_TOGGLE_BUTTON,
                 self.atspi.ROLE_CHECK_BOX, self.atspi.ROLE_TEXT, self.atspi.ROLE_COMBO_BOX,
                 self.atspi.ROLE_LIST_ITEM, self.atspi.ROLE_RADIO_BUTTON}
        unnamed = []
        def walk(accessible):
            if accessible is None:
                return
            if accessible.getRole() in roles and self.showing(accessible) \
                    and not accessible.name.strip():
                unnamed.append(accessible.getRoleName())
            for index in range(accessible.childCount):
                walk(accessible.getChildAtIndex(index))
        walk(root)
        self.assertEqual(unnamed, [], 'controls without an accessible name')


class StatusNotifierDesktop(BusDesktop):
    """The private desktop with a stand-in for the StatusNotifierItem host that
    KDE Plasma, GNOME's AppIndicator extension and most current panels run:
    it takes registrations and notes them."""

    WATCHER = 'org.kde.StatusNotifierWatcher'

    def open(self):
        self.open_display()
        self.open_session_bus()
        self.start(['/usr/bin/python3', '-m', 'dbusmock', self.WATCHER, '/StatusNotifierWatcher',
                    self.WATCHER], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        import dbus
        self.bus = dbus.bus.BusConnection(self.env['DBUS_SESSION_BUS_ADDRESS'])
        self.watcher = wait_for('the watcher', lambda: self.watcher_object(dbus))
        mock = dbus.Interface(self.watcher, 'org.freedesktop.DBus.Mock')
        mock.AddMethod('', 'RegisterStatusNotifierItem', 's', '', '')
        mock.AddProperty('', 'IsStatusNotifierHostRegistered', True)
        mock.AddProperty('', 'ProtocolVersion', dbus.Int32(0))
        mock.AddProperty('', 'RegisteredStatusNotifierItems', dbus.Array([], signature='s'))
        self.start_window_manager()

    def watcher_object(self, dbus):
        if not self.bus.name_has_owner(self.WATCHER):
            return None
        return self.bus.get_object(self.WATCHER, '/StatusNotifierWatcher')

    def registered_items(self):
        mock = self.watcher.get_dbus_method('GetCalls', 'org.freedesktop.DBus.Mock')
        return [str(arguments[0]) for _, method, arguments in mock()
                if method == 'RegisterStatusNotifierItem']


class StatusNotifierItemTest(unittest.TestCase):
    def test_the_item_registers_opens_the_panel_beside_the_pointer_and_quits_from_its_menu(self):
        desktop = StatusNotifierDesktop.for_test(self, 'orvale-sni-')
        log_path = os.path.join(desktop.folder, 'orvale.log')
        with open(log_path, 'w') as log:
            orvale = desktop.start([ORVALE], stderr=log)
        self.addCleanup(TrayEndToEndTest.show_log, self, log_path)
        service = wait_for('the item to register', lambda: desktop.registered_items())[0]
        item = desktop.bus.get_object(service, '/StatusNotifierItem')
        prop = lambda name: item.Get('org.kde.StatusNotifierItem', name,
                                     dbus_interface='org.freedesktop.DBus.Properties')
        self.assertEqual(str(prop('Title')), 'Orvale')
        self.assertEqual(str(prop('ToolTip')[2]), 'Orvale')
        self.assertTrue(prop('IconName') or prop('IconPixmap'), 'the item has no icon')

        # A host that knows where its icon is passes where it was clicked;
        # the panel opens there, under the pointer of the click, at the top
        # right of the screen.
        subprocess.run(['xdotool', 'mousemove', '--sync', '1270', '5'], env=desktop.env,
                       check=True)
        item.Activate(1270, 5, dbus_interface='org.kde.StatusNotifierItem')
        panel = wait_for('the panel', lambda: self.shown_window(desktop, orvale),
                         seen=lambda: self.windows_of(desktop, orvale))
        # Mapped first, then framed and placed by the window manager.
        def beside_pointer():
            x, y, width, height = desktop.geometry(panel)
            return abs(x + width - 1280) <= 4 and y <= 30
        wait_for('the panel at the top right', beside_pointer,
                 seen=lambda: self.windows_of(desktop, orvale) + '; pointer ' +
                 desktop.output(['xdotool', 'getmouselocation']).strip() + '; ' +
                 ' '.join(desktop.output(['xprop', '-id', str(panel), 'WM_NORMAL_HINTS']).split()))
        # Each click toggles it, however quickly they follow one another.
        for state in ('closed', 'open again', 'closed again'):
            item.Activate(1270, 5, dbus_interface='org.kde.StatusNotifierItem')
            shown = state.startswith('open')
            wait_for('the panel ' + state, lambda: (
                self.shown_window(desktop, orvale) is not None) == shown)

        menu = desktop.bus.get_object(service, str(prop('Menu')))
        _, (_, _, children) = menu.GetLayout(0, -1, [], dbus_interface='com.canonical.dbusmenu')
        entries = {str(properties['label']): int(number) for number, properties, _ in children}
        self.assertEqual(list(entries), ['Open Orvale', 'Quit Orvale'])
        click = lambda label: menu.Event(entries[label], 'clicked', 0, 0,
                                         dbus_interface='com.canonical.dbusmenu')
        click('Open Orvale')
        wait_for('the panel from the menu', lambda: self.shown_window(desktop, orvale))
        click('Quit Orvale')
        self.assertEqual(orvale.wait(LIMIT), 0)
        with open(log_path) as log:
            self.assertNotIn('no system tray', log.read())

    @staticmethod
    def shown_window(desktop, process):
        """The panel of `process` if it is shown: its window is titled Orvale."""
        shown = desktop.output(['xdotool', 'search', '--onlyvisible', '--pid', str(process.pid),
                                '--name', '^Orvale$'])
        return int(shown.split()[0]) if shown.split() else None

    @staticmethod
    def windows_of(desktop, process):
        """Every window of `process` that is shown, with its title and place."""
        shown = desktop.output(['xdotool', 'search', '--onlyvisible', '--pid', str(process.pid)])
        def place(window):
            try:
                return str(desktop.geometry(window))
            except KeyError:
                return 'nowhere: it went'
        return ', '.join('%s “%s” at %s' % (
            window, desktop.output(['xdotool', 'getwindowname', window]).strip(),
            place(window)) for window in shown.split()) or 'none'


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
