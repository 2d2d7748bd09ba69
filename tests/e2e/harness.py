"""The end-to-end harness: the scripted news server, a fresh install folder, Corvane.exe under Wine in a
virtual desktop of its own prefix, the probe that watches that desktop, real clicks through xdotool, and
screenshots. Everything started here is stopped here, by its own process or by this prefix's server."""
import array
import os
import re
import shutil
import subprocess
import threading
import time
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, '..', '..'))
WINE_SCRIPTS = os.path.join(SOURCE, 'tests', 'wine')
SCREEN = (1280, 800)
MAIN_TITLE = 'Tessaly财经资讯'

# Each headline a server sends is logged as: <ms> sent <client> news <category> "<title>"
SENT_NEWS = re.compile(r'^(\S+) sent (\d+) news (\S+) "(.*)"$')


def build_dir():
    return os.environ.get('CORVANE_BUILD_DIR') or os.path.join(SOURCE, 'build', 'windows')


def now_ms():
    return time.time() * 1000.0


def settings_text(path):
    """A Setting.ini's text: UTF-16 when it begins with that byte-order mark (the program turns the file into
    UTF-16 when a rule needs characters its code page lacks), otherwise UTF-8."""
    with open(path, 'rb') as f:
        data = f.read()
    if data.startswith(b'\xff\xfe'):
        return data[2:].decode('utf-16-le', errors='replace')
    return data.decode('utf-8-sig', errors='replace')


def sound_pitch(path):
    """The pitch of a sound's loud part in hertz, from its zero crossings: enough to tell our sounds apart.
    None when the file holds no sound."""
    with wave.open(path) as w:
        channels, width, rate = w.getnchannels(), w.getsampwidth(), w.getframerate()
        data = w.readframes(w.getnframes())
    if width == 2:
        samples = array.array('h', data[:len(data) // 2 * 2])
    elif width == 4:
        samples = array.array('i', data[:len(data) // 4 * 4])
    else:
        samples = array.array('h', [(b - 128) << 8 for b in data])
    samples = samples[::channels]
    peak = max((abs(x) for x in samples), default=0)
    loud = [i for i, x in enumerate(samples) if abs(x) > peak * 0.05] if peak else []
    if len(loud) < 2:
        return None
    part = samples[loud[0]:loud[-1]]
    crossings = sum(1 for a, b in zip(part, part[1:]) if (a < 0) != (b < 0))
    return crossings / 2 / (len(part) / rate)


class SoundCapture:
    """An ALSA configuration whose default device writes what is played to a WAV file."""

    def __init__(self, workdir):
        self.path = os.path.join(workdir, 'sound.wav')
        self.config = os.path.join(workdir, 'asound.conf')
        with open(self.config, 'w') as f:
            f.write('pcm.!default { type file slave.pcm { type null } file "%s" format "wav" }\n' % self.path)

    def pitch(self):
        return sound_pitch(self.path) if os.path.exists(self.path) else None


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(condition, timeout_s, what, interval=0.02):
    """Polls condition until it returns something true; fails with `what` after the timeout."""
    deadline = time.time() + timeout_s
    while True:
        value = condition()
        if value:
            return value
        if time.time() > deadline:
            raise Failure('timed out after %.1f s waiting for %s' % (timeout_s, what))
        time.sleep(interval)


def unquote(text):
    return text.replace('\\n', '\n').replace('\\"', '"').replace('\\\\', '\\')


class LineLog:
    """Lines from a file or a pipe, each split into (ms, event, rest), kept as they arrive."""

    def __init__(self):
        self.lines = []
        self.lock = threading.Lock()

    def add(self, line):
        line = line.rstrip('\n')
        parts = line.split(' ', 2)
        if len(parts) < 2:
            return
        try:
            stamp = float(parts[0])
        except ValueError:
            return
        with self.lock:
            self.lines.append((stamp, parts[1], parts[2] if len(parts) > 2 else '', line))

    def events(self, event=None, since=0.0):
        with self.lock:
            return [l for l in self.lines if (event is None or l[1] == event) and l[0] >= since]

    def text(self):
        with self.lock:
            return '\n'.join(l[3] for l in self.lines)


class ScriptedServer:
    """The native scripted server; steps go to its standard input as the scenario runs."""

    def __init__(self, workdir, program=None):
        program = program or os.environ.get('CORVANE_E2E_SERVER') or os.path.join(
            build_dir(), 'e2e-host', 'tests', 'e2e', 'corvane-scripted-server')
        self.log_path = os.path.join(workdir, 'server.log')
        self.process = subprocess.Popen([program, '--log', self.log_path], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True, encoding='utf-8')
        first = self.process.stdout.readline().split()
        check(len(first) == 3 and first[0] == 'ports', 'the scripted server did not start: %r' % first)
        self.port, self.http_port = int(first[1]), int(first[2])
        self.log = LineLog()
        self.read_at = 0

    def step(self, *lines):
        for line in lines:
            self.process.stdin.write(line + '\n')
        self.process.stdin.flush()

    def refresh(self):
        with open(self.log_path, encoding='utf-8') as f:
            f.seek(self.read_at)
            data = f.read()
        complete = data[:data.rfind('\n') + 1]
        self.read_at += len(complete.encode('utf-8'))
        for line in complete.splitlines():
            self.log.add(line)
        return self.log

    def events(self, event=None, since=0.0):
        return self.refresh().events(event, since)

    def received(self, what, since=0.0):
        """Times of the client's frames whose description starts with `what` ("heartbeat", "category stocks")."""
        return [e[0] for e in self.events('recv', since) if e[2].split(' ', 1)[1].startswith(what)]

    def wait_received(self, what, timeout_s, since=0.0):
        return wait_until(lambda: self.received(what, since), timeout_s, 'the client to send ' + what)[0]

    def sent_news(self, since=0.0):
        out = []
        for e in self.events('sent', since):
            m = SENT_NEWS.match(e[3])
            if m:
                out.append((float(m.group(1)), m.group(3), unquote(m.group(4))))
        return out

    def stop(self):
        end_process(self.process)
        self.refresh()


class Screen:
    """What the programs of a session see. By default the harness's own display with one virtual desktop of
    SCREEN's size at 96 DPI. Otherwise an X server of the session's own (NestedDisplay): heads side by side,
    with the given work areas, the prefix's DPI (LogPixels), and the head Windows takes as its primary
    (PrimaryMonitor, so heads left of it lie at negative x). Wine's virtual desktop has one monitor: with
    several heads, the programs run on the X desktop itself."""

    def __init__(self, heads=None, dpi=96, primary=0, work_areas=None, virtual_desktop=None):
        self.heads = heads
        self.dpi = dpi
        self.primary = primary
        self.work_areas = work_areas
        self.virtual_desktop = (heads is None or len(heads) == 1) if virtual_desktop is None else virtual_desktop

    def size(self):
        if not self.heads:
            return SCREEN
        return sum(w for w, _ in self.heads), max(h for _, h in self.heads)

    def registry(self):
        """The prefix's settings for this screen. Every value some screen changes is written each time, so a
        prefix set up for one screen is set up again for the next."""
        def value(name, text):
            return '"%s"=%s\n' % (name, text if text is not None else '-')
        desktop = value('Desktop', '"Default"' if self.virtual_desktop else None)
        size = '"%dx%d"' % self.size()
        several = bool(self.heads) and len(self.heads) > 1
        return ('REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n' + desktop +
                '\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n' + value('Default', size) +
                '\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n' +
                value('LogPixels', 'dword:%08x' % self.dpi if self.dpi != 96 else None) +
                # Wine takes the heads from Xinerama only when it does not ask XRandR, which sees one screen.
                '\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n' + value('UseXRandR', '"N"' if several else None) +
                value('PrimaryMonitor', '"%d"' % self.primary if several else None))


class NestedDisplay:
    """An X server of the session's own inside the harness's display: Xephyr with its heads side by side as one
    Xinerama screen, and each head's work area in the root window's _GTK_WORKAREAS_D0, where Wine reads it
    (a taskbar is where a head's work area leaves a strip). Set before any program starts: a Wine process
    keeps the work area it read first."""

    def __init__(self, heads, work_areas=None):
        ready_path = os.path.join('/tmp', 'corvane-e2e-display-%d' % os.getpid())
        args = ['-noreset', '-nolisten', 'tcp'] + (['+xinerama'] if len(heads) > 1 else [])
        x = 0
        for w, h in heads:
            args += ['-screen', '%dx%d+%d+0' % (w, h, x)]
            x += w
        self.process = None
        for number in range(190, 290):
            if os.path.exists('/tmp/.X%d-lock' % number) or os.path.exists('/tmp/.X11-unix/X%d' % number):
                continue
            with open(ready_path, 'w+') as ready:
                process = subprocess.Popen(['Xephyr', ':%d' % number] + args + ['-displayfd', str(ready.fileno())],
                                           pass_fds=(ready.fileno(),), stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
                deadline = time.time() + 10
                while process.poll() is None and time.time() < deadline:
                    ready.seek(0)
                    if ready.read().strip():
                        break
                    time.sleep(0.05)
                ready.seek(0)
                if process.poll() is None and ready.read().strip():
                    self.process, self.name = process, ':%d' % number
                    break
                process.kill()
                process.wait()
        os.remove(ready_path)
        check(self.process, 'no nested X display could be started (Xephyr, from xserver-xephyr)')
        # A desktop colour, so the heads stand out from what lies beyond them in the screenshots.
        self.run('xsetroot', '-solid', '#3a6ea5')
        if work_areas:
            self.set_work_areas(work_areas)

    def run(self, *command):
        return subprocess.run(list(command), env=dict(os.environ, DISPLAY=self.name), check=True,
                              stdout=subprocess.PIPE, text=True).stdout

    def set_work_areas(self, areas):
        """areas: one (x, y, w, h) per head, in X coordinates (the leftmost head starts at 0)."""
        numbers = ','.join(str(n) for area in areas for n in area)
        self.run('xprop', '-root', '-format', '_GTK_WORKAREAS_D0', '32c', '-set', '_GTK_WORKAREAS_D0', numbers)

    def stop(self):
        if self.process:
            end_process(self.process)


class Wine:
    """This harness's own Wine prefix in the build tree, set up for the session's screen (by default every
    program runs in one virtual desktop)."""

    def __init__(self, screen=None):
        self.registry = (screen or Screen()).registry()
        self.prefix = os.path.join(build_dir(), 'e2e', 'wineprefix')
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG=os.environ.get('WINEDEBUG', '-all'),
                        WINEARCH='win64', CORVANE_WINEPREFIX=self.prefix, CORVANE_BUILD_DIR=build_dir(),
                        WINEDLLOVERRIDES='winebrowser.exe=d;winemenubuilder.exe=d;mscoree,mshtml=')
        self.wine = self._shell('corvane_wine_binary').strip()
        self.wineserver = self._shell('corvane_wineserver').strip()
        self._prepare()

    def _shell(self, command):
        return subprocess.run(['bash', '-c', '. "%s/wine-env.sh" && %s' % (WINE_SCRIPTS, command)], env=self.env,
                              check=True, stdout=subprocess.PIPE, text=True).stdout

    def _prepare(self):
        self._shell('corvane_prepare_prefix')
        stamp = os.path.join(self.prefix, '.corvane-e2e-ready')
        if os.path.exists(stamp) and open(stamp).read() == self.registry:
            return
        reg = os.path.join(self.prefix, 'corvane-e2e.reg')
        with open(reg, 'w') as f:
            f.write(self.registry)
        subprocess.run([self.wine, 'regedit.exe', '/S', 'Z:' + reg.replace('/', '\\')], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.stop()
        with open(stamp, 'w') as f:
            f.write(self.registry)

    def start(self, program, *args, **popen):
        return subprocess.Popen([self.wine, program] + list(args), env=self.env, **popen)

    def run(self, program, *args, timeout=60):
        return subprocess.run([self.wine, program] + list(args), env=self.env, timeout=timeout,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def reg_query(self, key, value):
        result = self.run('reg.exe', 'query', key, '/v', value)
        return result.stdout.decode('utf-8', 'replace') if result.returncode == 0 else None

    def stop(self):
        """Ends every program of this prefix (ours only) and waits for its server."""
        subprocess.run([self.wineserver, '-k'], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(['timeout', '15', self.wineserver, '-w'], env=self.env, stderr=subprocess.DEVNULL)


class Probe:
    """The probe inside the desktop: a log of what it saw, and the commands it takes."""

    def __init__(self, wine, program=None, poll_ms=5):
        program = program or os.environ.get('CORVANE_E2E_PROBE') or os.path.join(
            build_dir(), 'tests', 'e2e', 'corvane-e2e-probe.exe')
        self.process = wine.start(program, str(poll_ms), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True, encoding='utf-8', errors='replace')
        self.log = LineLog()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        wait_until(lambda: self.log.events('probe'), 30, 'the probe to start')

    def _read(self):
        for line in self.process.stdout:
            self.log.add(line)

    def command(self, line, answer=None, timeout_s=10):
        since = now_ms() - 1
        self.process.stdin.write(line + '\n')
        self.process.stdin.flush()
        if answer:
            return wait_until(lambda: self.log.events(answer, since), timeout_s, 'the probe to answer ' + line)[-1]
        return None

    def command_lines(self, line, answer, timeout_s=10):
        """A command's whole answer: the lines the probe wrote after it up to its last line, `answer`."""
        with self.log.lock:
            start = len(self.log.lines)
        self.process.stdin.write(line + '\n')
        self.process.stdin.flush()

        def answered():
            with self.log.lock:
                lines = self.log.lines[start:]
            ends = [i for i, l in enumerate(lines) if l[1] == answer]
            return lines[:ends[0] + 1] if ends else None
        return wait_until(answered, timeout_s, 'the probe to answer ' + line)

    def windows(self):
        """The top-level windows now: hwnd -> dict(pid, visible, rect, cls, title)."""
        out = {}
        for stamp, event, rest, _ in self.log.events():
            if event in ('window+', 'window~'):
                m = re.match(r'(\S+) (\d+) (\d) (-?\d+) (-?\d+) (\d+) (\d+) "((?:[^"\\]|\\.)*)" "((?:[^"\\]|\\.)*)"', rest)
                if m:
                    out[m.group(1)] = dict(hwnd=m.group(1), pid=int(m.group(2)), visible=m.group(3) == '1',
                                           rect=tuple(int(m.group(i)) for i in range(4, 8)), cls=unquote(m.group(8)),
                                           title=unquote(m.group(9)), since=stamp)
            elif event == 'window-':
                out.pop(rest.strip(), None)
        return out

    def find(self, title=None, cls=None, visible=None, pid=None):
        return [w for w in self.windows().values()
                if (title is None or w['title'] == title) and (cls is None or w['cls'] == cls)
                and (visible is None or w['visible'] == visible) and (pid is None or w['pid'] == pid)]

    def wait_window(self, timeout_s, what, **match):
        return wait_until(lambda: (self.find(**match) or [None])[0], timeout_s, what)

    def children(self, top=None, since=0.0):
        """Controls as last reported: hwnd -> dict(top, id, visible, cls, text, since)."""
        out = {}
        for stamp, event, rest, _ in self.log.events('child', since):
            m = re.match(r'(\S+) (\S+) (-?\d+) (\d) "((?:[^"\\]|\\.)*)" "((?:[^"\\]|\\.)*)"', rest)
            if m and (top is None or m.group(2) == top):
                first = out.get(m.group(1), {}).get('first', stamp)
                out[m.group(1)] = dict(hwnd=m.group(1), top=m.group(2), id=int(m.group(3)), visible=m.group(4) == '1',
                                       cls=unquote(m.group(5)), text=unquote(m.group(6)), since=stamp, first=first)
        return out

    def texts_shown(self, since=0.0):
        """(time, text) of every control text reported since a moment."""
        return [(c['since'], c['text']) for c in self.children(since=since).values()]

    def balloons(self, since=0.0):
        return [(e[0], unquote(e[2][1:-1])) for e in self.log.events('balloon', since)]

    def foregrounds(self, since=0.0):
        return [(e[0], e[2].strip()) for e in self.log.events('foreground', since)]

    def pixels(self, name, since=0.0):
        return [(e[0], int(e[2].split()[2])) for e in self.log.events('pixels', since) if e[2].split()[0] == name]

    def control_rect(self, hwnd, control_id):
        answer = self.command('control %s %d' % (hwnd, control_id), 'control')
        parts = answer[2].split()
        return tuple(int(p) for p in parts[3:7])

    def post(self, hwnd, message, wparam=0, lparam=0):
        self.command('post %s %d %d %d' % (hwnd, message, wparam, lparam), None)

    def ping(self, hwnd):
        answer = self.command('ping ' + hwnd, 'pong', timeout_s=30)
        parts = answer[2].split()
        return float(parts[1]), parts[2] == 'ok'

    def usage(self, pid):
        parts = self.command('usage %d' % pid, 'usage')[2].split()
        return dict(gdi=int(parts[1]), user=int(parts[2]), handles=int(parts[3]), private=int(parts[4]),
                    windows=int(parts[5]))

    def stop(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write('quit\n')
                self.process.stdin.flush()
                self.process.wait(5)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()


def click(x, y, button=1):
    """A real click at a point of the screen (the virtual desktop fills it)."""
    subprocess.run(['xdotool', 'mousemove', str(x), str(y), 'click', str(button)], check=True)


def drag(x, y, to_x, to_y):
    """A real drag with the left button, as a user moves a window by its caption."""
    subprocess.run(['xdotool', 'mousemove', str(x), str(y), 'mousedown', '1', 'sleep', '0.2', 'mousemove', str(to_x),
                    str(to_y), 'sleep', '0.2', 'mouseup', '1'], check=True)


def screenshot(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run([os.path.join(WINE_SCRIPTS, 'screenshot.sh'), path], check=False)
    return path


def end_process(process):
    """Asks a process of ours to end, and ends it when it has not within 5 s."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def rss_anon_kb(pid):
    try:
        with open('/proc/%d/status' % pid) as f:
            for line in f:
                if line.startswith('RssAnon:'):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def cpu_seconds(pid):
    """The time the process's threads ran, to the nanosecond. The clock-tick counts of /proc/PID/stat miss
    the short wake-ups of an idle program: a wake-up between two ticks is never counted."""
    total = 0
    for task in os.listdir('/proc/%d/task' % pid):
        try:
            with open('/proc/%d/task/%s/schedstat' % (pid, task)) as f:
                total += int(f.read().split()[0])
        except OSError:
            pass  # a thread that ended meanwhile
    return total / 1e9


class Session:
    """One scenario's world: server, install folder, Wine desktop, probe, and the program once started."""

    def __init__(self, name, settings=None, install=True, screen=None):
        self.name = name
        self.workdir = os.path.join(build_dir(), 'e2e', name)
        shutil.rmtree(self.workdir, ignore_errors=True)
        os.makedirs(self.workdir)
        self.shots = os.path.join(build_dir(), 'screenshots', 'e2e', name)
        shutil.rmtree(self.shots, ignore_errors=True)
        os.makedirs(self.shots)
        self.server = ScriptedServer(self.workdir)
        self.install = os.path.join(self.workdir, 'install')
        if install:
            self.make_install(settings or {})
        self.programs = []
        self.shot_count = 0
        self.display = None
        self.harness_display = os.environ.get('DISPLAY')
        self.start_desktop(screen or Screen())

    def start_desktop(self, screen):
        """The display, the prefix set up for it, and the probe in its desktop."""
        self.screen = screen
        if screen.heads:
            self.display = NestedDisplay(screen.heads, screen.work_areas)
            # xdotool and the screenshots go to the same display as the programs.
            os.environ['DISPLAY'] = self.display.name
        self.wine = Wine(screen)
        self.wine.stop()
        self.probe = Probe(self.wine)

    def stop_desktop(self):
        self.probe.stop()
        for process in self.programs:
            if process.poll() is None:
                process.kill()
                process.wait()
        self.wine.stop()
        if self.display:
            self.display.stop()
            self.display = None
            os.environ['DISPLAY'] = self.harness_display or ''
        self.probe_logs = getattr(self, 'probe_logs', '') + self.probe.log.text() + '\n'

    def use_screen(self, screen):
        """Ends what runs on the present screen and starts afresh on another: the program is started again."""
        self.stop_desktop()
        self.programs = []
        self.start_desktop(screen)

    def monitors(self):
        """The monitors as Windows sees them now: [dict(primary, bounds, work)] with (x, y, w, h) rectangles,
        and the cursor's position and the screen's DPI."""
        lines = self.probe.command_lines('monitors', 'monitors')
        found = [dict(primary=n[1] == 1, bounds=tuple(n[2:6]), work=tuple(n[6:10]))
                 for n in ([int(v) for v in e[2].split()] for e in lines if e[1] == 'monitor')]
        parts = [int(v) for v in lines[-1][2].split()]
        return found, (parts[1], parts[2]), parts[3]

    def make_install(self, properties):
        dist = os.environ.get('CORVANE_E2E_DIST') or os.path.join(build_dir(), 'dist')
        shutil.copytree(dist, self.install)
        for banner in ('1.jpg', '2.jpg', '3.jpg'):
            path = os.path.join(self.install, banner)
            if os.path.exists(path):
                os.remove(path)
        self.write_settings(properties)

    def settings_path(self):
        return os.path.join(self.install, 'Setting.ini')

    def write_settings(self, properties, connection=None, utf16=False, sections=None):
        """The install folder's Setting.ini: the shipped one, pointed at this server, with changes and any
        further sections; in UTF-16 with its byte-order mark when asked, as the program keeps a file that
        holds Chinese rules."""
        values = {'Connection': {'Server': '127.0.0.1', 'Port': str(self.server.port),
                                 'WebSite': 'http://127.0.0.1:%d' % self.server.http_port},
                  'Properties': {}}
        shipped = os.path.join(os.environ.get('CORVANE_E2E_DIST') or os.path.join(build_dir(), 'dist'), 'Setting.ini')
        section = None
        for line in settings_text(shipped).splitlines():
            line = line.strip()
            if line.startswith('[') and line.endswith(']'):
                section = line[1:-1]
                values.setdefault(section, {})
            elif '=' in line and section:
                key, value = line.split('=', 1)
                values[section].setdefault(key, value)
        values['Connection'].update(connection or {})
        values['Properties'].update(properties)
        for name, keys in (sections or {}).items():
            values.setdefault(name, {}).update(keys)
        text = ''.join('[%s]\r\n' % s + ''.join('%s=%s\r\n' % kv for kv in keys.items()) for s, keys in values.items())
        with open(self.settings_path(), 'wb') as f:
            f.write(b'\xff\xfe' + text.encode('utf-16-le') if utf16 else text.encode('utf-8'))

    def read_settings(self):
        out, section = {}, None
        for line in settings_text(self.settings_path()).splitlines():
            line = line.strip()
            if line.startswith('[') and line.endswith(']'):
                section = out.setdefault(line[1:-1], {})
            elif '=' in line and section is not None:
                k, v = line.split('=', 1)
                section[k] = v
        return out

    def capture_sound(self):
        """From now on, what the programs started here play is written to a WAV file instead of a sound card
        (an ALSA file device of this session's own)."""
        capture = SoundCapture(self.workdir)
        self.wine.env['ALSA_CONFIG_PATH'] = capture.config
        return capture

    def start_program(self, *args):
        started = now_ms()
        process = self.wine.start(os.path.join(self.install, 'Corvane.exe'), *args, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        self.programs.append(process)
        return process, started

    def main_window(self, timeout_s=30, since=0.0):
        try:
            return wait_until(lambda: [w for w in self.probe.find(title=MAIN_TITLE, cls='#32770', visible=True)
                                       if w['since'] >= since] or None, timeout_s, 'the main window')[0]
        except Failure as failure:
            raise Failure('%s (%s)' % (failure, self.what_runs()))

    def what_runs(self):
        """For a failure's message: whether the programs started here still run, and the windows on screen."""
        programs = ', '.join('running' if p.poll() is None else 'exited with %d' % p.returncode
                             for p in self.programs) or 'none started'
        shown = ', '.join('%s "%s"' % (w['cls'], w['title']) for w in self.probe.find(visible=True))
        probe = 'running' if self.probe.process.poll() is None else 'exited with %d' % self.probe.process.returncode
        return 'programs: %s; probe: %s; windows shown: %s' % (programs, probe, shown or 'none')

    def shot(self, label):
        self.shot_count += 1
        return screenshot(os.path.join(self.shots, '%02d-%s.png' % (self.shot_count, label)))

    def close(self):
        self.stop_desktop()
        self.server.stop()
        with open(os.path.join(self.workdir, 'probe.log'), 'w', encoding='utf-8') as f:
            f.write(self.probe_logs)
