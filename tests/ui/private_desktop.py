"""A private X desktop for the end-to-end tests: Xvfb and openbox, and the
clients on them, each started here and stopped by process id; the X tools
that read where windows are; and pictures of the screen as it is shown.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time

# Long enough for a loaded machine; every wait ends as soon as its answer comes.
LIMIT = 30.0


def wait_for(what, condition, limit=LIMIT, seen=None):
    """Polls `condition` until it answers something true; fails after `limit`,
    saying what `seen()` tells of how things stand then, if it is given."""
    deadline = time.monotonic() + limit
    while True:
        answer = condition()
        if answer:
            return answer
        if time.monotonic() > deadline:
            raise AssertionError('timed out waiting for ' + what +
                                 ('; seen: ' + seen() if seen else ''))
        time.sleep(0.05)


def near(a, b, tolerance=4):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


class Screen:
    """One picture of the screen, read from a binary PPM (P6)."""

    def __init__(self, ppm):
        fields, position = [], 0
        while len(fields) < 4:
            while ppm[position:position + 1].isspace():
                position += 1
            if ppm[position:position + 1] == b'#':
                position = ppm.index(b'\n', position) + 1
                continue
            end = position
            while not ppm[end:end + 1].isspace():
                end += 1
            fields.append(ppm[position:end])
            position = end
        if fields[0] != b'P6':
            raise ValueError('not a binary PPM: %r' % fields[0])
        self.width, self.height, self.maxval = (int(field) for field in fields[1:])
        self.sample = 1 if self.maxval < 256 else 2
        self.data = ppm[position + 1:]

    def pixel(self, x, y):
        """The colour at (x, y) as 8-bit red, green, blue."""
        start = (y * self.width + x) * 3 * self.sample
        values = [int.from_bytes(self.data[start + i * self.sample:start + (i + 1) * self.sample],
                                 'big') for i in range(3)]
        return tuple(round(value * 255 / self.maxval) for value in values)


class Desktop:
    """Xvfb and openbox, and whatever else a test starts on them."""

    def __init__(self, folder):
        self.folder = folder
        self.processes = []
        # The desktop's programs see only where programs are and how the
        # sanitizers report, nothing of the session the tests run in.
        self.env = {name: os.environ[name] for name in (
            'PATH', 'TMPDIR', 'ASAN_OPTIONS', 'UBSAN_OPTIONS', 'LSAN_OPTIONS', 'TSAN_OPTIONS')
            if name in os.environ}
        runtime = os.path.join(folder, 'runtime')
        os.makedirs(runtime, mode=0o700)
        self.env.update({
            'HOME': folder,
            'XDG_RUNTIME_DIR': runtime,
            'XDG_DATA_HOME': os.path.join(folder, 'data'),
            'XDG_CONFIG_HOME': os.path.join(folder, 'config'),
            'QT_QPA_PLATFORM': 'xcb',
            'LC_ALL': 'C.UTF-8',
        })

    def start(self, arguments, **options):
        process = subprocess.Popen(arguments, env=self.env, stdin=subprocess.DEVNULL,
                                   start_new_session=True, **options)
        self.processes.append(process)
        return process

    @classmethod
    def for_test(cls, test, prefix):
        """A desktop opened in a folder of its own, both gone when `test` ends."""
        folder = tempfile.mkdtemp(prefix=prefix)
        desktop = cls(folder)
        test.addCleanup(shutil.rmtree, folder, True)
        test.addCleanup(desktop.close)
        desktop.open()
        return desktop

    def open(self):
        self.open_display()
        self.start_window_manager()

    def open_display(self):
        # The screen is also kept in a file: reading the root window back
        # (xwd -root) returns translucent windows as if they were opaque when a
        # compositing manager draws them, while this file holds what is shown.
        self.framebuffer = os.path.join(self.folder, 'framebuffer')
        os.makedirs(self.framebuffer)
        read, write = os.pipe()
        self.start(['Xvfb', '-displayfd', str(write), '-screen', '0', '1280x800x24',
                    '-fbdir', self.framebuffer, '-nolisten', 'tcp', '+extension', 'RANDR'],
                   pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as pipe:
            self.env['DISPLAY'] = ':' + pipe.readline().strip()

    def start_window_manager(self):
        # openbox sets _NET_SUPPORTING_WM_CHECK while it is still starting, and
        # a window mapped then may stay unmapped and unmanaged: it is ready once
        # it runs its startup command.
        ready = os.path.join(self.folder, 'window-manager-ready')
        self.start(['openbox', '--config-file', '/etc/xdg/openbox/rc.xml',
                    '--startup', 'touch ' + ready], stderr=subprocess.DEVNULL)
        wait_for('the window manager', lambda: os.path.exists(ready))

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGTERM)
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    os.killpg(process.pid, signal.SIGKILL)
                    process.wait()

    def output(self, arguments):
        done = subprocess.run(arguments, env=self.env, capture_output=True, text=True)
        return done.stdout if done.returncode == 0 else ''

    def quiet(self, arguments):
        return subprocess.run(arguments, env=self.env, capture_output=True).returncode == 0

    def info(self, window, *options):
        """What xwininfo says of `window`, as a mapping of its fields."""
        fields = {}
        for line in self.output(['xwininfo', '-id', str(window), *options]).splitlines():
            name, _, value = line.strip().partition(':')
            fields[name] = value.strip()
        return fields

    def geometry(self, window):
        """The window's place on the root window: x, y, width, height."""
        fields = self.info(window)
        return tuple(int(fields[key]) for key in (
            'Absolute upper-left X', 'Absolute upper-left Y', 'Width', 'Height'))

    def client(self, arguments, instance):
        """Starts an X client whose WM_CLASS instance is `instance` and answers
        its window once the window manager has framed it."""
        self.start(arguments, stderr=subprocess.DEVNULL)
        window = int(wait_for(instance, lambda: self.output(
            ['xdotool', 'search', '--classname', '^%s$' % instance]).split()[:1] or None)[0])
        wait_for('the window manager to frame ' + instance, lambda: '=' in self.output(
            ['xprop', '-id', str(window), '_NET_FRAME_EXTENTS']))
        return window

    def frame(self, window):
        """The window manager's frame around a client: its window number and
        x, y, width, height on the root window."""
        while True:
            fields = {}
            for line in self.output(['xwininfo', '-tree', '-id', str(window)]).splitlines():
                name, _, value = line.strip().partition(':')
                fields[name] = value.strip().split()[0] if value.strip() else ''
            if fields.get('Parent window id') == fields.get('Root window id'):
                return window, self.geometry(window)
            window = int(fields['Parent window id'], 16)

    def screen(self):
        """What the screen shows now."""
        dump = os.path.join(self.framebuffer, 'Xvfb_screen0')
        return subprocess.run(['xwdtopnm', dump], capture_output=True, check=True).stdout

    def screenshot(self, folder, name):
        """Writes what the screen shows to folder/name.png, if there is a folder."""
        if not folder:
            return
        os.makedirs(folder, exist_ok=True)
        png = subprocess.run(['pnmtopng'], input=self.screen(), capture_output=True, check=True)
        with open(os.path.join(folder, name + '.png'), 'wb') as out:
            out.write(png.stdout)
