#!/usr/bin/env python3
"""End-to-end scenarios: the real Corvane.exe under Wine against the scripted server, driven with real
clicks. Run one by name (python3 scenarios.py first_start); CTest runs each as a test of its own.
Screenshots go to <build>/screenshots/e2e/<scenario>/, the logs to <build>/e2e/<scenario>/."""
import http.server
import os
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import (Failure, Screen, Session, check, click, drag, now_ms, screenshot, sound_pitch,  # noqa: E402
                     wait_until, MAIN_TITLE, SOURCE)

WM_COMMAND = 0x111
TRAY_ICON_CENTRE = (1270, 790)  # the one icon of the desktop's notification area
TABS = {'stocks': 1042, 'futures': 1041, 'forex': 1040, 'gold': 1039}
POPUP_TITLE = '讯息提示'
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools', 'demo-server', 'data')


def list_region(main):
    """The news list's place on the screen: (5, 75) in the client area, W - 218 by H - 85."""
    x, y, w, h = main['rect']
    return x + 5, y + 75, w - 218, h - 85


def watch_list(s, main):
    s.probe.command('region list %d %d %d %d' % list_region(main), 'ok')


def list_changes(s, since):
    return s.probe.pixels('list', since)


def list_ink(s):
    changes = s.probe.pixels('list')
    return changes[-1][1] if changes else 0


def popup_texts(s, since=0.0):
    """Titles of the pop-up entries that appeared since a moment, as their link controls show them."""
    return [text.replace('<a>', '').replace('</a>', '') for _, text in
            sorted((c['first'], c['text']) for c in s.probe.children(since=since).values() if c['cls'] == 'SysLink')]


def wait_popup_text(s, title, since, timeout_s=5):
    return wait_until(lambda: title in popup_texts(s, since), timeout_s, 'a pop-up entry "%s"' % title)


def connect_and_load(s, history=5, start_args=()):
    """Starts the program, lets the server answer the stocks request with a short history, waits until
    the list shows it; returns the main window."""
    s.server.step('auto-history %d 0' % history)
    _, started = s.start_program(*start_args)
    main = s.main_window()
    watch_list(s, main)
    asked = s.server.wait_received('category stocks', 20, started)
    wait_until(lambda: s.server.events('sent', asked) and list_changes(s, asked), 5, 'the history in the list')
    time.sleep(0.5)
    return main


def click_control(s, main, control_id):
    x, y, w, h = s.probe.control_rect(main['hwnd'], control_id)
    click(x + w // 2, y + h // 2)


def dialog_texts(s, box):
    return [c['text'] for c in s.probe.children(top=box['hwnd']).values()]


def tray_icon_shown(s):
    """Whether the notification area at the right end of the taskbar shows the program's orange icon."""
    path = os.path.join(s.workdir, 'tray.png')
    screenshot(path)
    orange = subprocess.run(['convert', path, '-crop', '22x15+1258+783', '+repage', '-fx', '(r>0.7 && b<0.45) ? 1 : 0',
                             '-format', '%[fx:mean*w*h]', 'info:'], stdout=subprocess.PIPE, text=True).stdout
    return float(orange or 0) > 10


def balloon_texts(s, since=0.0):
    return [text for _, text in s.probe.balloons(since)]


# --- 1 ---------------------------------------------------------------------------------------------------
def first_start(s):
    """First start from the install folder: attempt 1 reaches the configured server, heartbeats every 2 s,
    the stocks request as soon as the connection is made, its history under the loading overlay,
    then live stocks headlines to the list and the pop-up, other categories to the pop-up only."""
    _, started = s.start_program()
    main = s.main_window()
    watch_list(s, main)
    accepted = wait_until(lambda: s.server.events('accept'), 15, 'attempt 1 to reach the server')[0][0]
    # Attempt 1's balloon is replaced by the connection's at once when the server is there; the numbered
    # attempts show in server_goes_away.
    wait_until(lambda: '已成功连接服务器。' in balloon_texts(s), 15, 'the balloon of the connection')

    asked = s.server.wait_received('category stocks', 15)
    # The supervisor takes the connection up as soon as the attempt has made it, not at its next tick.
    check(asked - accepted < 1500, 'stocks asked %.0f ms after the connection' % (asked - accepted))
    check(len(s.server.events('accept')) == 1, 'one connection only')
    before = list_ink(s)
    s.server.step('history stocks 20 "股票 历史"')
    wait_until(lambda: list_changes(s, asked), 5, 'the history under the overlay')
    time.sleep(0.4)
    s.shot('history-loading')
    loading_ink = list_ink(s)
    ended = now_ms()
    s.server.step('history-end')
    wait_until(lambda: list_changes(s, ended), 3, 'the overlay to go at the end of the history')
    time.sleep(0.4)
    s.shot('history-shown')
    check(list_ink(s) != loading_ink and list_ink(s) > before, 'the list shows the history without the overlay')
    wait_until(lambda: '已成功连接服务器。' in balloon_texts(s), 15, 'the balloon of the connection')

    live = now_ms()
    s.server.step('news stocks "股票 快讯 甲" http://127.0.0.1/a')
    wait_popup_text(s, '股票 快讯 甲', live)
    listed = wait_until(lambda: list_changes(s, live), 3, 'the stocks headline in the list')[0][0]
    # A lone headline shows at once (the woken window, not a poll); the bound is loose for a loaded
    # machine, the figure itself is the benchmarks'.
    sent = [t for t, _, title in s.server.sent_news(live) if title == '股票 快讯 甲'][0]
    shown = [c['first'] for c in s.probe.children(since=live).values() if c['text'] == '<a>股票 快讯 甲</a>'][0]
    check(shown - sent < 400 and listed - sent < 400, 'the headline showed %.0f ms (pop-up) and %.0f ms (list) '
          'after the frame' % (shown - sent, listed - sent))
    time.sleep(0.6)
    other = now_ms()
    s.server.step('news forex "外汇 快讯 乙" http://127.0.0.1/b', 'news gold "黄金 快讯 丙" http://127.0.0.1/c')
    wait_popup_text(s, '外汇 快讯 乙', other)
    wait_popup_text(s, '黄金 快讯 丙', other)
    time.sleep(1.0)
    check(not list_changes(s, other), 'forex and gold headlines stay out of the stocks list')
    s.shot('live')

    beats = wait_until(lambda: len(s.server.received('heartbeat')) >= 4 and s.server.received('heartbeat'), 10,
                       'four heartbeats')
    check(len(beats) >= 4, 'heartbeats keep coming: %d' % len(beats))
    gaps = [b - a for a, b in zip(beats, beats[1:])]
    check(all(1900 <= g <= 3000 for g in gaps), 'a heartbeat every 2 s: gaps %s' % [round(g) for g in gaps])
    check(beats[0] - accepted < 600, 'the first heartbeat on the first pass')


# --- 2 ---------------------------------------------------------------------------------------------------
def tabs(s):
    """A real click on each tab's place sends that category's request; a click while history loads does
    nothing, and a flash of another category meanwhile still pops up."""
    main = connect_and_load(s)
    # Histories of different lengths: the list takes one in a moment, so it must look different after it.
    for name, count in (('futures', 6), ('forex', 7)):
        s.server.step('auto-history %d 0' % count)
        clicked = now_ms()
        click_control(s, main, TABS[name])
        s.server.wait_received('category ' + name, 3, clicked)
        wait_until(lambda: list_changes(s, clicked), 3, 'the %s history in the list' % name)
        time.sleep(0.5)
        s.shot('tab-' + name)

    s.server.step('auto-history 5 never')
    clicked = now_ms()
    click_control(s, main, TABS['gold'])
    s.server.wait_received('category gold', 3, clicked)
    time.sleep(0.6)
    s.shot('gold-loading')
    # In the middle of the gold history: a forex flash is live and pops up, a gold item joins the history.
    live = now_ms()
    s.server.step('news forex "外汇 插播 快讯"', 'news gold "黄金 历史 续"')
    wait_popup_text(s, '外汇 插播 快讯', live)
    time.sleep(1.0)
    check('黄金 历史 续' not in popup_texts(s, live), 'a gold item while the gold history loads never pops up')
    s.shot('forex-flash-while-gold-loads')
    blocked = now_ms()
    for name in ('stocks', 'futures'):
        click_control(s, main, TABS[name])
        time.sleep(0.5)
    time.sleep(1.0)
    check(not s.server.received('category', blocked), 'no request while the gold history loads: %s'
          % [e[2] for e in s.server.events('recv', blocked) if 'category' in e[2]])
    s.shot('clicks-while-loading')

    s.server.step('history-end')
    time.sleep(0.5)
    clicked = now_ms()
    click_control(s, main, TABS['stocks'])
    s.server.wait_received('category stocks', 3, clicked)
    s.server.step('history-end')
    time.sleep(0.5)
    s.shot('stocks-again')


# --- 3 ---------------------------------------------------------------------------------------------------
def server_goes_away(s):
    """The server closes: the client notices within a poll tick and reconnects 5 s later. The server
    refuses: attempts numbered 1 to 10, "连接失败", and 60 s later attempt 1 again."""
    connect_and_load(s)
    closed = now_ms()
    s.server.step('close')
    again = wait_until(lambda: s.server.events('accept', closed), 10, 'the reconnection')[0][0]
    check(4900 <= again - closed <= 6500, 'reconnected %.0f ms after the close' % (again - closed))
    wait_until(lambda: '失去与服务器的连接，5秒钟后将尝试重连。' in balloon_texts(s, closed), 15, 'the balloon of the loss')
    s.server.wait_received('category stocks', 10, again)

    refused = now_ms()
    s.server.step('refuse', 'close')
    numbered = ['正在获取服务器连接(%d)。' % n for n in range(1, 11)]
    failed = '无法连接至服务器。60秒后将重新连接。'
    wait_until(lambda: failed in balloon_texts(s, refused), 75, 'ten failed attempts')
    failed_at = [t for t, text in s.probe.balloons(refused) if text == failed][0]
    shown = balloon_texts(s, refused)
    check([t for t in shown if t in numbered] == numbered, 'attempts numbered 1 to 10: %s' % shown)
    s.shot('waiting')
    wait_until(lambda: numbered[0] in balloon_texts(s, failed_at + 1), 75, 'attempt 1 after the pause')
    first_again = [t for t, text in s.probe.balloons(failed_at + 1) if text == numbered[0]][0]
    check(first_again - failed_at >= 55000, 'the pause lasted %.0f ms' % (first_again - failed_at))
    listening = now_ms()
    s.server.step('listen')
    s.server.wait_received('category stocks', 15, listening)
    s.shot('connected-again')


# --- 4 ---------------------------------------------------------------------------------------------------
HOSTILE_FRAMES = [
    'frame 4c000000',                                                      # a headline of its type alone
    'frame 4c000000 bcd15fdc31191640',                                     # cut inside the category
    # a headline whose title has no end and whose link lies far outside the frame
    'frame 4c000000 bcd15fdc311916408c5c5b82048e2122 0000000000000000 00ffffff 00000000 41004200',
    'frame 62610000 34120000 02000000 ffff0000 10000000 41004200',         # a banner whose parts overrun it
    'frame 62610000 34120000 09000000 00000000 00000000',                  # a banner for slot 9
    'frame 62610000',                                                      # a control frame without sub-code
    'frame 62610000 00000000',                                             # sub-code 0
    'frame 11000000 bcd15fdc311916408c5c5b82048e2122',                     # a category request from the server
    'frame 99999999 01020304',                                             # an unknown type
    'frame 01',                                                            # shorter than a type
]


def hostile_server(s):
    """Malformed payloads and unknown types are dropped and the connection goes on; N = 0 and an oversized
    N close it; the client reconnects each time and never crashes."""
    main = connect_and_load(s)
    hostile = now_ms()
    s.server.step(*HOSTILE_FRAMES)
    time.sleep(1.0)
    s.server.step('news stocks "恶意帧之后 仍在线"')
    wait_until(lambda: list_changes(s, hostile + 900), 3, 'a headline after the hostile frames')
    check(not s.server.events('client-closed'), 'the hostile frames did not end the connection')
    s.shot('after-hostile-frames')

    for n, header in enumerate(['header 0', 'header 4294967295'], start=2):
        sent = now_ms()
        s.server.step(header)
        wait_until(lambda: s.server.events('client-closed', sent), 3, 'the client to close after ' + header)
        wait_until(lambda: [e for e in s.server.events('accept', sent) if e[2].strip() == str(n)], 10,
                   'a reconnection after ' + header)
        s.server.wait_received('category stocks', 10, sent)
    check(s.programs[0].poll() is None, 'the program is still running')
    took, answered = s.probe.ping(main['hwnd'])
    check(answered, 'the main window answers')
    time.sleep(0.5)
    s.shot('after-reconnects')


# --- 5 ---------------------------------------------------------------------------------------------------
def banners(s):
    """Three banners: 1.jpg..3.jpg and url1..url3 written, shown in the window; a click on a banner with a
    file: or program link opens nothing."""
    main = connect_and_load(s)
    links = ['http://127.0.0.1/ad/1', 'file:///C:/windows/notepad.exe', 'C:\\windows\\notepad.exe']
    x, y, w, h = main['rect']
    s.probe.command('region banners %d %d %d %d' % (x + w - 204, y + 75, 194, 340), 'ok')
    time.sleep(0.3)
    sent = now_ms()
    for slot, link in enumerate(links, start=1):
        s.server.step('banner %d "%s" %s' % (slot, link.replace('\\', '\\\\'), os.path.join(DATA, 'banner%d.jpg' % slot)))
    wait_until(lambda: s.probe.pixels('banners', sent), 5, 'the banners on the screen')
    for slot in (1, 2, 3):
        path = os.path.join(s.install, '%d.jpg' % slot)
        wait_until(lambda: os.path.exists(path), 5, '%d.jpg' % slot)
        expected = open(os.path.join(DATA, 'banner%d.jpg' % slot), 'rb').read()
        wait_until(lambda: open(path, 'rb').read() == expected, 5, '%d.jpg to hold the banner' % slot)
    written = s.read_settings().get('Connection', {})
    check([written.get('url%d' % n) for n in (1, 2, 3)] == links, 'url1..url3: %s' % written)
    time.sleep(0.5)
    s.shot('banners')

    known = set(s.probe.windows())
    clicked = now_ms()
    for top in (189, 309):  # banners 2 and 3
        click(x + w - 204 + 97, y + top + 53)
        time.sleep(1.5)
    # The desktop's own balloons come and go; any other new window would be something the link opened.
    desktop = {w['pid'] for w in s.probe.find(cls='Shell_TrayWnd')}
    opened = [win for hwnd, win in s.probe.windows().items()
              if (hwnd not in known or win['since'] >= clicked) and win['visible'] and win['pid'] not in desktop]
    check(not opened, 'a click on a file or program link opened %s' % opened)
    check(s.programs[0].poll() is None and s.probe.ping(main['hwnd'])[1], 'the program goes on')


# --- 6 ---------------------------------------------------------------------------------------------------
def popup_settings(s):
    """Show off: nothing pops up. Forex off: a forex item does not pop up, a futures item does. The stay
    time closes the window. The pop-up never takes the foreground."""
    s.write_settings({'Show': '0'})
    main = connect_and_load(s)
    quiet = now_ms()
    s.server.step(*['news %s "静默 %s"' % (c, c) for c in ('stocks', 'futures', 'forex', 'gold')])
    time.sleep(2.0)
    check(not s.probe.find(title=POPUP_TITLE), 'Show=0 shows no pop-up')
    check(len(list_changes(s, quiet)) >= 1, 'the stocks item still reaches the list')

    s.write_settings({'Show': '1', 'Fx168Show': '0', 'HexunQHDelay': '0', 'Fx168Delay': '0'})
    forex = now_ms()
    s.server.step('news forex "外汇 不弹出"')
    time.sleep(1.5)
    check(not s.probe.find(title=POPUP_TITLE), 'a forex item with Fx168Show=0 shows no pop-up')
    futures = now_ms()
    s.server.step('news futures "期货 弹出"')
    wait_popup_text(s, '期货 弹出', futures)
    check('外汇 不弹出' not in popup_texts(s, forex), 'the forex item never showed')
    time.sleep(0.8)
    s.shot('futures-popup')

    s.write_settings({'Show': '1', 'Fx168Show': '1', 'HexunQHDelay': '0', 'Fx168Delay': '0'})
    stay = now_ms()
    s.server.step('news forex "外汇 五秒"')
    wait_popup_text(s, '外汇 五秒', stay)
    popup = s.probe.find(title=POPUP_TITLE)[0]
    gone = wait_until(lambda: s.probe.log.events('window-', stay) and
                      [e for e in s.probe.log.events('window-', stay) if e[2].strip() == popup['hwnd']], 12,
                      'the stay time to close the pop-up')[0][0]
    check(4800 <= gone - stay <= 7500, 'the forex stay of 5 s closed the pop-up after %.0f ms' % (gone - stay))
    popups = {w['hwnd'] for w in s.probe.find(title=POPUP_TITLE)} | {popup['hwnd']}
    stolen = [hwnd for _, hwnd in s.probe.foregrounds(quiet) if hwnd in popups]
    check(not stolen, 'the pop-up took the foreground')
    check(main['hwnd'] in [hwnd for _, hwnd in s.probe.foregrounds()], 'the main window had the foreground')


# --- 7 ---------------------------------------------------------------------------------------------------
def version_page(s):
    """A page without tags changes nothing; a newer version brings the main window back from the tray with
    the prompt in front and, after the answer, ends the program through its closing steps with exit code 0."""
    s.server.step('version-page "<html><body>维护中</body></html>"')
    main = connect_and_load(s)
    time.sleep(1.0)
    check(s.server.events('http'), 'the version page was asked for')
    settings = s.read_settings()['Connection']
    check(settings.get('Server') == '127.0.0.1' and settings.get('Port') == str(s.server.port),
          'a page without tags keeps Server and Port: %s' % settings)
    check(not s.probe.find(title='Ondrix'), 'no prompt for a page without tags')
    check(s.programs[0].poll() is None, 'the program goes on')
    s.probe.post(main['hwnd'], WM_COMMAND, 10000, 0)
    wait_until(lambda: s.programs[0].poll() is not None, 10, 'the tray exit')

    # The newer page comes from a web server of the test's own that answers once the user has dragged the
    # main window aside and hidden it in the tray. Aside, because under Wine in Xvfb a pop-up that opens wholly over another window of its own
    # process stays black on the screen, though the program paints it; beside the window it shows painted.
    page = '<version>9.9.9</version><serverip>127.0.0.1</serverip><port>%d</port>' % s.server.port
    with HeldPage(page) as held:
        s.write_settings({}, connection={'WebSite': 'http://127.0.0.1:%d' % held.port})
        process, _ = s.start_program()
        main = s.main_window()
        wait_until(lambda: held.asked.is_set(), 20, 'the second start to ask for the page')
        x, y, _, _ = main['rect']
        drag(x + 150, y + 10, x - 200, y + 10)
        wait_until(lambda: s.probe.find(title=MAIN_TITLE, visible=True)[0]['rect'][0] < x, 5, 'the window dragged')
        click_control(s, main, 1068)
        wait_until(lambda: not s.probe.find(title=MAIN_TITLE, visible=True), 5, 'the window hidden in the tray')
        held.answer.set()
        box = s.probe.wait_window(20, 'the outdated-version prompt', title='Ondrix', visible=True)
    # A prompt for a window hidden in the tray brings the window back, so its taskbar button leads to it.
    wait_until(lambda: s.probe.find(title=MAIN_TITLE, visible=True), 5, 'the main window back with the prompt')
    wait_until(lambda: '您的版本过低，点击确定下载最新版本' in dialog_texts(s, box), 5, "the prompt's text")
    # Owned by the main window, it comes up in front of it without help.
    wait_until(lambda: s.probe.foregrounds()[-1][1] == box['hwnd'], 5, 'the prompt in front')
    wait_until(lambda: tray_icon_shown(s), 10, 'the tray icon', interval=0.5)
    time.sleep(1.0)
    s.shot('outdated-prompt')
    cancel = [c for c in s.probe.children(top=box['hwnd']).values() if c['cls'] == 'Button' and c['id'] == 2]
    check(cancel, 'the prompt has a Cancel button')
    click_control(s, box, 2)
    code = wait_until(lambda: process.poll() is not None and [process.returncode], 10, 'the program to end')[0]
    check(code == 0, 'exit code %s' % code)
    # The closing steps ran: the icon left the notification area with the program, no ghost stays behind.
    wait_until(lambda: not tray_icon_shown(s), 5, 'the tray icon to go', interval=0.5)


class HeldPage:
    """A web server on 127.0.0.1 whose version page is answered only once `answer` is set."""

    def __init__(self, body):
        held = self
        self.asked, self.answer = threading.Event(), threading.Event()

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                held.asked.set()
                held.answer.wait(30)
                data = body.encode('ascii')
                self.send_response(200 if self.path == '/version.html' else 404)
                self.send_header('Content-Length', str(len(data)))
                self.end_headers()
                self.wfile.write(data)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
        self.port = self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.answer.set()
        self.server.shutdown()
        self.server.server_close()


# --- 8 ---------------------------------------------------------------------------------------------------
RUN_KEY = r'HKLM\Software\Microsoft\Windows\CurrentVersion\Run'


def single_instance_tray_command_line(s):
    """A second copy brings the hidden first one back and ends; "-s true/false" change the Run value with
    exit code 0 while the client runs, a bad value ends with -2; the tray menu's exit ends the program."""
    main = connect_and_load(s)
    click_control(s, main, 1068)
    wait_until(lambda: not s.probe.find(title=MAIN_TITLE, visible=True), 5, 'the exit button to hide the window')
    s.shot('hidden')

    second, started = s.start_program()
    box = s.probe.wait_window(20, 'the single-instance message', title='提醒', visible=True)
    wait_until(lambda: 'Tessaly已经开启!' in dialog_texts(s, box), 5, "the message's text")
    s.shot('already-running')
    button = [c for c in s.probe.children(top=box['hwnd']).values() if c['cls'] == 'Button'][0]
    # The running copy's window may open over the message; the user would bring it up from the taskbar.
    s.probe.command('front %s' % box['hwnd'], 'ok')
    time.sleep(0.3)
    click_control(s, box, button['id'])
    wait_until(lambda: second.poll() is not None, 10, 'the second copy to end')
    # It is also made the foreground window; under Wine the second copy's own closing window can take the
    # activation back a moment later, so that is seen in the screenshot rather than checked.
    wait_until(lambda: s.probe.find(title=MAIN_TITLE, visible=True), 5, 'the first window to reappear')
    check(len(s.server.events('accept')) == 1, 'the second copy never connected')
    s.shot('back-in-front')

    exe = os.path.join(s.install, 'Corvane.exe')
    for args, expected in ((('-s', 'true'), 0), (('-s', 'TRUE'), 254), (('-s', 'false'), 0)):
        result = s.wine.run(exe, *args)
        check(result.returncode == expected, '%s ended with %d' % (' '.join(args), result.returncode))
        value = s.wine.reg_query(RUN_KEY, 'Corvane')
        if args[1] == 'true':
            check(value and '"Z:' in value and 'Corvane.exe"' in value, 'the Run value: %s' % value)
        if args[1] == 'false':  # removing leaves the value empty
            check(value is None or 'Corvane.exe' not in value, 'the Run value is cleared: %s' % value)
    check(not s.probe.find(title='提醒'), 'no single-instance message for -s runs')

    # A right click on the icon at the right end of the taskbar: the menu opens there, clear of the main
    # window (under Wine in Xvfb a pop-up that opens wholly over another window of its own process stays black).
    click(*TRAY_ICON_CENTRE, button=3)
    menu = s.probe.wait_window(5, 'the tray menu', cls='#32768', visible=True)
    time.sleep(1.0)
    s.shot('tray-menu')
    mx, my, mw, mh = menu['rect']
    click(mx + mw // 2, my + mh * 7 // 8)  # the last of four items: exit
    wait_until(lambda: s.programs[0].poll() is not None, 10, 'the tray exit to end the program')
    wait_until(lambda: not s.probe.find(title=MAIN_TITLE), 5, 'the main window to go')


# --- 9 ---------------------------------------------------------------------------------------------------
TRAY_SLOT = 20  # Wine's taskbar lays the tray icons out from its right end, one slot this wide each


def tray_icon_count(s, slots=4):
    """Icons in the taskbar's notification area as the screen shows them: a slot holds one when it looks
    different from an empty slot further left. Counted once no balloon covers the slots."""
    wait_until(lambda: not s.probe.find(cls='tooltips_class32', visible=True), 40, 'the balloons to go')
    x, y, w, h = s.probe.find(cls='Shell_TrayWnd', visible=True)[0]['rect']
    asked = now_ms()
    for i in range(slots + 1):
        s.probe.command('region tray%d %d %d %d %d' % (i, x + w - TRAY_SLOT * (i + 1), y, TRAY_SLOT, h), 'ok')
    wait_until(lambda: all(s.probe.pixels('tray%d' % i, asked) for i in range(slots + 1)), 5, 'the tray slots')
    inked = [s.probe.pixels('tray%d' % i)[-1][1] for i in range(slots + 1)]
    for i in range(slots + 1):
        s.probe.command('unregion tray%d' % i, 'ok')
    return sum(1 for ink in inked[:slots] if ink != inked[slots])


def two_copies_at_once(s):
    """Two copies started 50 ms apart, as a double double-click or the Run key and the restart registration
    together at sign-in: one says the program runs already and ends; the other alone connects and shows one
    tray icon."""
    s.server.step('auto-history 5 0')
    first, _ = s.start_program()
    time.sleep(0.05)
    second, _ = s.start_program()
    box = s.probe.wait_window(30, 'the single-instance message', title='提醒', visible=True)
    wait_until(lambda: 'Tessaly已经开启!' in dialog_texts(s, box), 5, "the message's text")
    main = s.main_window()
    check(box['pid'] != main['pid'], 'the message comes from the copy without a main window')
    time.sleep(1.0)
    button = [c for c in s.probe.children(top=box['hwnd']).values() if c['cls'] == 'Button'][0]
    # The running copy's window may open over the message; the user would bring it up from the taskbar.
    s.probe.command('front %s' % box['hwnd'], 'ok')
    time.sleep(0.5)
    s.shot('already-running')
    click_control(s, box, button['id'])
    wait_until(lambda: first.poll() is not None or second.poll() is not None, 10, 'one copy to end')

    s.server.wait_received('category stocks', 20)
    time.sleep(6.0)  # a second connecting copy would have made its first attempt long before now
    check(len(s.server.events('accept')) == 1, 'one connection: %d' % len(s.server.events('accept')))
    check(len(s.probe.find(title=MAIN_TITLE)) == 1, 'one main window')
    check([first.poll(), second.poll()].count(None) == 1, 'one copy runs on: %s' % [first.poll(), second.poll()])
    s.shot('one-copy')
    icons = tray_icon_count(s)
    s.shot('one-tray-icon')
    check(icons == 1, 'one tray icon: %d' % icons)


# --- 10 --------------------------------------------------------------------------------------------------
def settings_not_saved(s):
    """A settings file that cannot be written: confirming says so and where, the dialog stays open with the
    user's choices, and the file is left as it was."""
    s.write_settings({'Show': '1', 'Delay': '2'})
    main = connect_and_load(s)
    with open(s.settings_path(), 'rb') as f:
        before = f.read()
    # From the tray, the main window hidden, and the dialog moved aside: a message box wholly over another
    # window of its own process stays black on Wine's Xvfb screen, though the program paints it.
    click_control(s, main, 1068)
    wait_until(lambda: not s.probe.find(title=MAIN_TITLE, visible=True), 5, 'the exit button to hide the window')
    s.probe.post(main['hwnd'], WM_COMMAND, 10001, 0)  # the tray menu's settings item
    dialog = s.probe.wait_window(10, 'the settings dialog', title='系统配置', visible=True)
    wait_until(lambda: any(c['id'] == 1039 for c in s.probe.children(top=dialog['hwnd']).values()), 5,
               "the dialog's controls")
    x, y, _, _ = dialog['rect']
    drag(x + 100, y + 8, max(x - 300, 0) + 100, y + 8)
    dialog = wait_until(lambda: [w for w in s.probe.find(title='系统配置', visible=True) if w['rect'][0] < x], 5,
                        'the dialog moved aside')[0]
    s.probe.command('lock Z:' + s.settings_path().replace('/', '\\'), 'ok')
    try:
        click_control(s, dialog, 1039)
        box = s.probe.wait_window(10, 'the failure message', title='设置未保存', visible=True)
        text = wait_until(lambda: [t for t in dialog_texts(s, box) if t.startswith('设置未能保存')], 5,
                          "the message's text")[0]
        check('Setting.ini' in text and '可以写入' in text, 'the message says where and what to do: %r' % text)
        time.sleep(0.8)
        s.shot('settings-not-saved')
        click_control(s, box, 1)
        wait_until(lambda: not s.probe.find(title='设置未保存', visible=True), 5, 'the message to close')
        check(s.probe.find(title='系统配置', visible=True), 'the settings dialog stays open')
        check(not s.probe.find(title='设置成功'), 'no success message')
    finally:
        s.probe.command('unlock', 'ok')
    with open(s.settings_path(), 'rb') as f:
        check(f.read() == before, 'the settings file is unchanged')


# --- 11 --------------------------------------------------------------------------------------------------
USER_RUN_KEY = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Run'


def start_with_windows(s):
    """The settings dialog's box registers the program for the current user and removes it again itself:
    no copy runs with administrator rights, so the machine's key stays as it was."""
    s.wine.run('reg.exe', 'delete', USER_RUN_KEY, '/v', 'Corvane', '/f')  # left by an earlier run, if any
    main = connect_and_load(s)
    machine = s.wine.reg_query(RUN_KEY, 'Corvane')  # the prefix may keep an emptied one of "-s false"
    check(machine is None or 'Corvane.exe' not in machine, "no machine registration to begin with: %s" % machine)
    s.probe.post(main['hwnd'], WM_COMMAND, 10001, 0)  # the tray menu's settings item
    dialog = s.probe.wait_window(10, 'the settings dialog', title='系统配置', visible=True)
    wait_until(lambda: any(c['id'] == 1055 for c in s.probe.children(top=dialog['hwnd']).values()), 5,
               "the dialog's controls")
    click_control(s, dialog, 1055)
    value = wait_until(lambda: s.wine.reg_query(USER_RUN_KEY, 'Corvane'), 10, "the user's Run value")
    check('"Z:' in value and 'Corvane.exe"' in value, "the user's Run value: %s" % value)
    check(s.wine.reg_query(RUN_KEY, 'Corvane') == machine, "the machine's Run key untouched")
    time.sleep(0.5)
    s.shot('registered')
    click_control(s, dialog, 1055)
    wait_until(lambda: s.wine.reg_query(USER_RUN_KEY, 'Corvane') is None, 10, "the user's Run value to go")
    check(s.wine.reg_query(RUN_KEY, 'Corvane') == machine, "the machine's Run key still untouched")
    check(s.probe.find(title='系统配置', visible=True), 'no failure message took the dialog away')
    check(len(s.probe.find(title='系统配置')) == 1 and not s.probe.find(title='提醒'), 'no other window came up')


# --- Keyword alerts ---------------------------------------------------------------------------------------
AMBER = '(r>0.8 && g>0.45 && g<0.7 && b<0.25) ? 1 : 0'
ALERT_RULES = {'Count': '3', 'Rule1': '美联储 加息 -传闻', 'Rule2': '"EUR USD"', 'Rule2Sound': '0', 'Rule3': '原油',
               'Rule3On': '0'}


def amber_pixels(path, area):
    """How many pixels of the alerts' amber band a screen area (x, y, w, h) holds."""
    x, y, w, h = area
    out = subprocess.run(['convert', path, '-crop', '%dx%d+%d+%d' % (w, h, x, y), '+repage', '-fx', AMBER,
                          '-format', '%[fx:mean*w*h]', 'info:'], stdout=subprocess.PIPE, text=True).stdout
    return float(out or 0)


def entry_texts(s, since=0.0):
    """The texts of the pop-up's entries that appeared since a moment: link titles, and the visible text an
    alert's entry draws itself (the entry window's own text)."""
    return [text.replace('<a>', '').replace('</a>', '') for _, text in
            sorted((c['first'], c['text']) for c in s.probe.children(since=since).values()
                   if c['cls'] in ('SysLink', '#32770') and c['text'])]


def still_open(s, popup):
    return any(w['hwnd'] == popup['hwnd'] for w in s.probe.find(title=POPUP_TITLE, visible=True))


def keyword_alert(s):
    """With the pop-up and forex switched off, a forex headline matching a keyword rule pops up all the same:
    highlighted, with the alert sound, and it stays past its stay time until it is clicked. A headline the
    rule excludes, a disabled rule's and an ordinary one stay quiet.
    A listed alert's row is highlighted. The rules are Chinese text in a UTF-16 Setting.ini."""
    s.write_settings({'Show': '0', 'Fx168Show': '0', 'Fx168Delay': '0'}, utf16=True,
                     sections={'Alerts': ALERT_RULES})
    sound = s.capture_sound()
    main = connect_and_load(s)

    quiet = now_ms()
    s.server.step('news forex "传闻：美联储将加息"', 'news forex "原油库存下降"', 'news forex "美元指数走高"')
    time.sleep(1.5)
    check(not s.probe.find(title=POPUP_TITLE), 'an excluded word, a disabled rule and no rule keep it quiet')
    check(sound.pitch() is None, 'nothing played')

    alerted = now_ms()
    title = '美联储宣布加息25个基点'
    s.server.step('news forex "%s"' % title)
    wait_until(lambda: title in entry_texts(s, alerted), 5, 'the alert in the pop-up')
    popup = s.probe.find(title=POPUP_TITLE, visible=True)[0]
    time.sleep(1.0)  # risen into view
    popup = s.probe.find(title=POPUP_TITLE, visible=True)[0]
    check(amber_pixels(s.shot('alert'), popup['rect']) > 100, 'the alert entry shows its amber band')
    pitches = {name: sound_pitch(os.path.join(SOURCE, 'res', 'sounds', name + '.wav')) for name in ('163', '164', '165')}
    played = wait_until(sound.pitch, 5, 'a sound played')
    nearest = min(pitches, key=lambda name: abs(pitches[name] - played))
    check(nearest == '165', 'the alert sound played: %.0f Hz heard, the sounds %s' % (played, pitches))

    time.sleep(6.0)  # beyond the forex stay of 5 s
    check(still_open(s, popup), 'the alert keeps the pop-up open past its stay time')
    x, y, w, h = popup['rect']
    clicked = now_ms()
    click(x + w // 2, y + h - 20)  # on the alert's entry, the only one
    wait_until(lambda: not still_open(s, popup), 12, 'the stay time to close the pop-up after the click')
    check(now_ms() - clicked >= 4000, 'the stay time ran from the click (%.0f ms)' % (now_ms() - clicked))

    listed = now_ms()
    s.server.step('news stocks "美联储再度加息 股市承压"')
    wait_until(lambda: list_changes(s, listed), 5, 'the stocks alert in the list')
    time.sleep(0.8)
    lx, ly, _, _ = list_region(main)
    check(amber_pixels(s.shot('alert-row'), (lx, ly, 5, 24)) > 20, 'the listed alert row shows its amber band')

    # For review: alerts among ordinary entries.
    s.write_settings({'Show': '1', 'Fx168Show': '1', 'HexunShow': '1', 'Fx168Delay': '0'}, utf16=True,
                     sections={'Alerts': ALERT_RULES})
    s.server.step('news gold "现货黄金短线拉升，站上2050美元"', 'news forex "EUR USD 跌破1.0800，欧元区PMI不及预期"',
                  'news stocks "沪指午后翻红 创业板指涨0.6%"', 'news forex "美联储官员：年内仍有一次加息"')
    wait_until(lambda: '美联储官员：年内仍有一次加息' in entry_texts(s, listed), 5, 'the review entries')
    time.sleep(1.5)
    s.shot('alerts-among-ordinary')


def keyword_dialog(s):
    """The keyword dialog of the running program, opened from the tray menu's item: a rule typed and added is
    in Setting.ini after 确定 and alerts at once; changed, it alerts on its new words only; deleted, nothing
    alerts any more."""
    s.write_settings({'Fx168Show': '0'})
    main = connect_and_load(s)

    def edit_rules(*actions):
        opened = now_ms()
        s.probe.post(main['hwnd'], WM_COMMAND, 10002, 0)  # the tray menu's 关键词提醒 item
        box = s.probe.wait_window(10, 'the keyword dialog', title='关键词提醒', visible=True)
        wait_until(lambda: s.probe.children(top=box['hwnd'], since=opened), 5, 'the dialog filled in')
        time.sleep(0.5)
        for action in actions:
            action(box)
            time.sleep(0.3)
        click_control(s, box, 1201)  # 确定
        wait_until(lambda: not s.probe.find(title='关键词提醒', visible=True), 10, 'the dialog to close')

    def type_rule(text):
        def action(box):
            click_control(s, box, 1203)
            subprocess.run(['xdotool', 'type', '--delay', '30', text], check=True)
        return action

    def press(control_id):
        return lambda box: click_control(s, box, control_id)

    def select_first_rule(box):
        x, y, w, h = s.probe.control_rect(box['hwnd'], 1208)
        click(x + w // 3, y + 30)  # the first row, under the header

    def shot(label):
        return lambda box: s.shot(label)

    def rule_alerts(headline, expected):
        since = now_ms()
        s.server.step('news forex "%s"' % headline)
        if expected:
            wait_until(lambda: headline in entry_texts(s, since), 5, 'the alert "%s"' % headline)
        else:
            time.sleep(1.5)
            check(headline not in entry_texts(s, since), '"%s" showed in the pop-up' % headline)

    edit_rules(type_rule('EUR USD'), press(1204), shot('rule-added'))
    alerts = s.read_settings().get('Alerts', {})
    check(alerts.get('Count') == '1' and alerts.get('Rule1', '').strip('"') == 'EUR USD',
          'the added rule is stored: %s' % alerts)
    rule_alerts('EUR USD 跌破1.0800', True)

    def replace_last_word(box):
        click_control(s, box, 1203)
        subprocess.run(['xdotool', 'key', 'End', 'BackSpace', 'BackSpace', 'BackSpace'], check=True)
        subprocess.run(['xdotool', 'type', '--delay', '30', 'JPY'], check=True)

    edit_rules(select_first_rule, press(1205), replace_last_word, press(1205))
    alerts = s.read_settings().get('Alerts', {})
    check(alerts.get('Count') == '1' and alerts.get('Rule1', '').strip('"') == 'EUR JPY',
          'the changed rule is stored: %s' % alerts)
    rule_alerts('EUR USD 再度走低', False)
    rule_alerts('EUR JPY 升至160', True)

    edit_rules(select_first_rule, press(1206))
    alerts = s.read_settings().get('Alerts', {})
    check(alerts.get('Count') == '0' and 'Rule1' not in alerts, 'the deleted rule is gone: %s' % alerts)
    rule_alerts('EUR JPY 回落', False)


# --- Quiet -----------------------------------------------------------------------------------------------
QUIET_PROPERTIES = {'Show': '1', 'Fx168Show': '1', 'HexunShow': '1', 'Fx168Delay': '0'}
IDM_TRAY_QUIET_END = 10007
EMPTY_WINDOW = os.path.join(os.path.dirname(os.environ.get('CORVANE_E2E_PROBE', '')), 'corvane-e2e-empty-window.exe')


def balloons_gone(s, connected, timeout_s=15):
    """Waits for the connection's balloons to go, so they cover no screenshot of the tray: Wine shows a
    balloon for 10 s at least."""
    time.sleep(max(0.0, connected + 10.5 - time.time()))
    deadline = time.time() + timeout_s
    while s.probe.find(cls='tooltips_class32', visible=True) and time.time() < deadline:
        time.sleep(0.2)


def open_tray_menu(s):
    click(*TRAY_ICON_CENTRE, button=3)
    menu = s.probe.wait_window(5, 'the tray menu', cls='#32768', visible=True)
    time.sleep(0.8)
    return menu


def close_menus():
    subprocess.run(['xdotool', 'key', 'Escape', 'key', 'Escape'], check=False)
    time.sleep(0.5)


def summary_entries(s, since):
    return [t for t in entry_texts(s, since) if t.startswith('免打扰期间收到')]


def quiet_icon_crop(s, label):
    """The taskbar's right end, for review of the tray icon, at 100 % and 400 %."""
    path = s.shot(label)
    x, y, w, h = s.probe.find(cls='Shell_TrayWnd', visible=True)[0]['rect']
    crop = path.replace('.png', '-tray.png')
    subprocess.run(['convert', path, '-crop', '%dx%d+%d+%d' % (120, h, x + w - 120, y), '+repage', '-scale', '400%',
                    crop], check=False)
    return crop


def send_quietly(s, main, headlines, sound, list_seen=True):
    """Sends headlines that must reach the list (unless a window covers it) and neither pop up nor play."""
    sent = now_ms()
    s.server.step(*('news stocks "%s"' % h for h in headlines))
    if list_seen:
        wait_until(lambda: list_changes(s, sent), 5, 'the headlines in the list while quiet')
    time.sleep(2.5)  # past a tick of the quiet timer
    check(not s.probe.find(title=POPUP_TITLE, visible=True), 'no pop-up while quiet')
    check(sound.pitch() is None, 'no sound while quiet')


def quiet_from_tray(s):
    """免打扰 for one hour, chosen in the real tray menu and its submenu, keeps pop-ups and sound away while
    the list fills; [Quiet] Until holds its end. The menu then tells the state and offers 结束免打扰, which
    brings the summary entry; the entry shows the main window."""
    s.write_settings(QUIET_PROPERTIES, utf16=True, sections={'Alerts': ALERT_RULES})
    sound = s.capture_sound()
    main = connect_and_load(s)
    balloons_gone(s, time.time())

    menu = open_tray_menu(s)
    mx, my, mw, mh = menu['rect']
    click(mx + mw // 2, my + mh * 5 // 8)  # the third of four items: 免打扰, which opens its offers
    offers = wait_until(lambda: [m for m in s.probe.find(cls='#32768', visible=True) if m['hwnd'] != menu['hwnd']],
                        5, 'the offers of 免打扰')[0]
    time.sleep(0.5)
    s.shot('tray-menu-offers')
    ox, oy, ow, oh = offers['rect']
    chosen = time.localtime()
    click(ox + ow // 2, oy + oh // 8)  # the first of four: 1 小时
    until = wait_until(lambda: s.read_settings().get('Quiet', {}).get('Until'), 5, '[Quiet] Until')
    ends = time.localtime(time.mktime(chosen) + 3600)
    check(until in [time.strftime('%Y-%m-%d %H:%M', time.localtime(time.mktime(ends) + d)) for d in (0, 60)],
          '[Quiet] Until is an hour ahead: %s' % until)

    send_quietly(s, main, ['沪指午后翻红 创业板指涨0.6%', '两市成交额突破万亿', '北向资金净买入50亿元'], sound)
    crop = quiet_icon_crop(s, 'tray-quiet-icon')
    check(os.path.exists(crop), 'the tray crop was saved')

    menu = open_tray_menu(s)
    s.shot('tray-menu-quiet')
    mx, my, mw, mh = menu['rect']
    ended = now_ms()
    click(mx + mw // 2, my + mh * 9 // 12)  # the fifth of six items: 结束免打扰
    wait_until(lambda: summary_entries(s, ended), 5, 'the summary entry once quiet ended')
    check(summary_entries(s, ended) == ['免打扰期间收到 3 条快讯'], 'the summary: %s' % summary_entries(s, ended))
    check('Until' not in s.read_settings().get('Quiet', {}), '[Quiet] Until removed')
    time.sleep(1.2)
    s.shot('popup-after-quiet')

    s.probe.post(main['hwnd'], 0x0010, 0, 0)  # WM_CLOSE: the main window goes to the tray
    wait_until(lambda: not s.probe.find(title=MAIN_TITLE, visible=True), 5, 'the main window to hide')
    popup = s.probe.find(title=POPUP_TITLE, visible=True)[0]
    x, y, w, h = popup['rect']
    # The summary entry, the newest and lowest, above the bottom 20 pixels: Wine's taskbar there keeps no work
    # area of its own, so the pop-up rests behind it.
    click(x + w // 2, y + h - 40)
    wait_until(lambda: s.probe.find(title=MAIN_TITLE, visible=True), 5, 'the summary entry to show the main window')


def quiet_survives_restart(s):
    """A 免打扰 stored before the start holds from the start: headlines reach the list, nothing pops up."""
    ends = time.strftime('%Y-%m-%d %H:%M', time.localtime(time.time() + 3600))
    s.write_settings(QUIET_PROPERTIES, sections={'Quiet': {'Until': ends}})
    sound = s.capture_sound()
    main = connect_and_load(s)
    send_quietly(s, main, ['美元指数走高', '欧元区PMI不及预期'], sound)

    s.probe.post(main['hwnd'], WM_COMMAND, IDM_TRAY_QUIET_END, 0)
    ended = now_ms()
    wait_until(lambda: summary_entries(s, ended), 5, 'the summary entry once quiet ended')
    check(summary_entries(s, ended) == ['免打扰期间收到 2 条快讯'], 'the summary: %s' % summary_entries(s, ended))


def full_screen_holds_popup(s):
    """A full-screen window in the foreground holds back alerts and ordinary headlines, with no sound; once it
    closes the pop-up shows the waiting alert and the summary entry."""
    s.write_settings(QUIET_PROPERTIES, utf16=True, sections={'Alerts': ALERT_RULES})
    sound = s.capture_sound()
    main = connect_and_load(s)

    s.programs.append(s.wine.start(EMPTY_WINDOW, '--fullscreen', stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    full = s.probe.wait_window(10, 'the full-screen window', title='Full screen', visible=True)
    time.sleep(1.0)
    alert = '美联储宣布加息25个基点'
    send_quietly(s, main, ['两市成交额突破万亿', alert, '北向资金净买入50亿元'], sound, list_seen=False)

    ended = now_ms()
    s.probe.post(full['hwnd'], 0x0010, 0, 0)  # WM_CLOSE
    wait_until(lambda: summary_entries(s, ended), 6, 'the waiting items once the full-screen window closed')
    wait_until(lambda: alert in entry_texts(s, ended), 3, 'the waiting alert with the summary')
    check(summary_entries(s, ended) == ['免打扰期间收到 3 条快讯'], 'the summary: %s' % summary_entries(s, ended))
    time.sleep(1.2)
    s.shot('popup-after-full-screen')


# --- Screens ---------------------------------------------------------------------------------------------
WM_CLOSE = 0x0010
IDM_TRAY_SETTINGS, IDM_TRAY_KEYWORDS = 10001, 10002
MAIN_SIZE_AT_96 = (600, 430)
POPUP_WIDTH_AT_96 = 280


def scale_for_dpi(pixels, dpi):
    """A size written for 96 DPI at another DPI, rounded as the program rounds (MulDiv)."""
    return (pixels * dpi + 48) // 96


def crop(s, label, rect):
    """Saves one window of the screen, as the screenshot of the whole screen shows it, for review."""
    whole = screenshot(os.path.join(s.workdir, 'screen.png'))
    x, y, w, h = rect
    out = os.path.join(s.shots, label + '.png')
    subprocess.run(['convert', whole, '-crop', '%dx%d+%d+%d' % (w, h, x, y), '+repage', out], check=False)
    return out


def settled(s, title, timeout_s=6):
    """A window of that title once it has stopped moving (the pop-up slides up into place)."""
    def still():
        found = s.probe.find(title=title, visible=True)
        if not found:
            return None
        window = found[0]
        return window if now_ms() - window['since'] > 500 else None
    return wait_until(still, timeout_s, '"%s" to settle' % title)


def dialog_controls(s, box):
    """(id, class, text, rect) of each visible control of a dialog, rect in screen coordinates (the controls
    of controls, such as a combo box's edit, left out)."""
    out = []
    for child in s.probe.children(top=box['hwnd']).values():
        if child['visible'] and child['id'] > 0:
            parts = s.probe.command('control %s %d' % (box['hwnd'], child['id']), 'control')[2].split()
            if parts[2] == child['hwnd']:
                out.append((child['id'], child['cls'], child['text'], tuple(int(p) for p in parts[3:7])))
    return out


def text_room(s, box, control_id, font):
    """(needed, had): the size a static control's text needs in its font, and the size of the control; None when
    the control shortens its text itself. font: (points, face) of the dialog's template."""
    parts = s.probe.command('fits %s %d %d %s' % ((box['hwnd'], control_id) + font), 'fits')[2].split()
    if len(parts) < 6:
        return None
    n = [int(v) for v in parts[2:6]]
    return (n[0], n[1]), (n[2], n[3])


def check_dialog_fits(s, box, label, font=None):
    """Every control lies inside its dialog, and every static control has the room its text needs in the
    template's font (points, face), when given."""
    controls = dialog_controls(s, box)
    check(controls, 'the %s dialog reports its controls' % label)
    bx, by, bw, bh = box['rect']
    outside = [(i, text) for i, _, text, (x, y, w, h) in controls
               if x < bx or y < by or x + w > bx + bw or y + h > by + bh]
    check(not outside, 'controls of the %s dialog outside it: %s' % (label, outside))
    rooms = [(i, text, text_room(s, box, i, font)) for i, cls, text, _ in controls if cls == 'Static' and text and font]
    cut = [(i, text, room) for i, text, room in rooms if room and (room[0][0] > room[1][0] or room[0][1] > room[1][1])]
    check(not cut, 'texts without room in the %s dialog (id, text, (needed, had)): %s' % (label, cut))


def open_from_tray(s, main, command, title):
    opened = now_ms()
    s.probe.post(main['hwnd'], WM_COMMAND, command, 0)
    box = s.probe.wait_window(10, 'the dialog ' + title, title=title, visible=True)
    wait_until(lambda: s.probe.children(top=box['hwnd'], since=opened), 5, 'the dialog filled in')
    time.sleep(0.8)
    return settled(s, title)


def high_dpi(s):
    """The real program on screens of 100 %, 150 % and 200 % (the prefix's DPI): the main window's and the
    pop-up's sizes follow the DPI, the windows hold their controls and the dialogs' texts have room. Every
    window is kept for review at each scale before what failed is told."""
    s.write_settings({'Fx168Delay': '0'})
    problems = []

    def expect(what, *args):
        try:
            what(*args)
        except Failure as failure:
            problems.append(str(failure))

    for dpi, heads in ((96, None), (144, [(1920, 1200)]), (192, [(2560, 1600)])):
        percent = dpi * 100 // 96
        if heads:
            s.use_screen(Screen(heads=heads, dpi=dpi))
        monitors = s.monitors()
        check(monitors[2] == dpi, 'the prefix runs at %d DPI: %s' % (dpi, monitors))
        main = connect_and_load(s)
        main = settled(s, MAIN_TITLE)
        crop(s, 'main-%d' % percent, main['rect'])
        size, expected = main['rect'][2:], tuple(scale_for_dpi(n, dpi) for n in MAIN_SIZE_AT_96)
        expect(check, size == expected, 'the main window at %d DPI is %dx%d, not %dx%d' % ((dpi,) + size + expected))
        expect(check_dialog_fits, s, main, 'main')

        sent = now_ms()
        s.server.step('news forex "美联储官员：通胀回落速度快于预期，年内仍有一次加息的可能" http://127.0.0.1/a',
                      'news stocks "沪指午后翻红 创业板指涨0.6%" http://127.0.0.1/b')
        wait_popup_text(s, '沪指午后翻红 创业板指涨0.6%', sent)
        time.sleep(1.0)
        popup = settled(s, POPUP_TITLE)
        crop(s, 'popup-%d' % percent, popup['rect'])
        expect(check, popup['rect'][2] == scale_for_dpi(POPUP_WIDTH_AT_96, dpi),
               'the pop-up at %d DPI is %d wide' % (dpi, popup['rect'][2]))

        # Hidden in the tray, so the dialogs open over no window of their own process (which stays black
        # on this screen).
        s.probe.post(main['hwnd'], WM_CLOSE)
        wait_until(lambda: not s.probe.find(title=MAIN_TITLE, visible=True), 5, 'the main window to hide')
        for command, title, label, font in ((IDM_TRAY_SETTINGS, '系统配置', 'settings', (8, 'MS Shell Dlg')),
                                            (IDM_TRAY_KEYWORDS, '关键词提醒', 'keywords', (8, 'MS Shell Dlg'))):
            box = open_from_tray(s, main, command, title)
            crop(s, '%s-%d' % (label, percent), box['rect'])
            expect(check_dialog_fits, s, box, '%s (%d DPI)' % (label, dpi), font)
            s.probe.post(box['hwnd'], WM_CLOSE)
            wait_until(lambda: not s.probe.find(title=title, visible=True), 5, 'the dialog to close')
    check(not problems, '; '.join(problems))


# Two heads side by side in X: A (1280x800) on the left with a taskbar on its left edge, B (1024x768) on the
# right with one along its bottom. B is Windows' primary monitor, so A lies at negative x.
HEADS = [(1280, 800), (1024, 768)]
WORK_AREAS = [(48, 0, 1232, 800), (1280, 0, 1024, 728)]  # X coordinates, one per head
PRIMARY_HEAD = 1
# How far the pop-up may stand off the corner: its gap to the right edge, and at the bottom the last step
# of its rise, which may stop short of the edge.
CORNER_SLACK = (40, 12)


def inside(window, work):
    x, y, w, h = window
    wx, wy, ww, wh = work
    return x >= wx and y >= wy and x + w <= wx + ww and y + h <= wy + wh


def in_corner(window, work):
    """Whether a window sits in the bottom-right corner of a work area, wholly inside it."""
    x, y, w, h = window
    wx, wy, ww, wh = work
    return inside(window, work) and wx + ww - (x + w) <= CORNER_SLACK[0] and wy + wh - (y + h) <= CORNER_SLACK[1]


def outline_work_areas(path):
    """Marks each head's work area on a screenshot of the two heads, so a reviewer sees the corners the pop-up
    goes to: the taskbars' strips lie outside the yellow lines, and what no head shows is black."""
    tallest, x, beyond = max(h for _, h in HEADS), 0, []
    for w, h in HEADS:
        if h < tallest:
            beyond.append('rectangle %d,%d %d,%d' % (x, h, x + w - 1, tallest - 1))
        x += w
    areas = ' '.join('rectangle %d,%d %d,%d' % (x, y, x + w - 1, y + h - 1) for x, y, w, h in WORK_AREAS)
    subprocess.run(['convert', path, '-fill', 'black', '-draw', ' '.join(beyond) or 'point -1,-1', '-fill', 'none',
                    '-stroke', '#ffd24a', '-draw', areas, path], check=False)


def two_monitors(s):
    """Two monitors, the primary on the right, the other at negative x with a taskbar on its left edge: the
    pop-up goes to the corner of the monitor "弹出位置" chooses: the one with the mouse, the main window's,
    or the primary."""
    s.use_screen(Screen(heads=HEADS, primary=PRIMARY_HEAD, work_areas=WORK_AREAS))
    monitors, _, _ = s.monitors()
    offset = sum(w for w, _ in HEADS[:PRIMARY_HEAD])  # from X to Windows coordinates
    expected = sorted(((x - offset, 0, w, h), (ax - offset, ay, aw, ah), head == PRIMARY_HEAD)
                      for head, ((w, h), (ax, ay, aw, ah)) in enumerate(zip(HEADS, WORK_AREAS))
                      for x in [sum(w for w, _ in HEADS[:head])])
    seen = sorted((m['bounds'], m['work'], m['primary']) for m in monitors)
    check(seen == expected, 'Wine sees the monitors %s, not %s' % (seen, expected))
    left, primary = (m['work'] for m in sorted(monitors, key=lambda m: m['bounds'][0]))

    def point_on(work):  # a point inside a work area, in X coordinates
        x, y, w, h = work
        return x + w // 2 + offset, y + h // 3

    def move_mouse(work):
        subprocess.run(['xdotool', 'mousemove'] + [str(n) for n in point_on(work)], check=True)
        time.sleep(0.3)

    def popup_lands_on(choice, work, label):
        s.write_settings({'PopupMonitor': choice, 'Fx168Delay': '0'})
        sent = now_ms()
        s.server.step('news forex "弹出位置 %s"' % choice)
        wait_popup_text(s, '弹出位置 %s' % choice, sent)
        popup = settled(s, POPUP_TITLE)
        outline_work_areas(s.shot(label))
        check(in_corner(popup['rect'], work), 'PopupMonitor=%s: the pop-up at %s, not in the corner of %s'
              % (choice, popup['rect'], work))
        wait_until(lambda: not s.probe.find(title=POPUP_TITLE, visible=True), 12, 'the pop-up to close')

    move_mouse(primary)
    main = connect_and_load(s)
    check(inside(main['rect'], primary), 'the main window opens on the monitor with the mouse: %s' % (main['rect'],))
    move_mouse(left)
    popup_lands_on('1', left, 'mouse-monitor')

    x, y, w, _ = main['rect']
    to_x, to_y = point_on(left)
    drag(x + offset + w // 2, y + 10, to_x, to_y)
    main = wait_until(lambda: [m for m in s.probe.find(title=MAIN_TITLE, visible=True) if m['rect'][0] < 0], 5,
                      'the main window on the left monitor')[0]
    move_mouse(primary)
    popup_lands_on('2', left, 'main-window-monitor')

    move_mouse(left)
    popup_lands_on('0', primary, 'primary-monitor')


SCENARIOS = {
    'first_start': first_start,
    'tabs': tabs,
    'server_goes_away': server_goes_away,
    'hostile_server': hostile_server,
    'banners': banners,
    'popup_settings': popup_settings,
    'version_page': version_page,
    'single_instance_tray_command_line': single_instance_tray_command_line,
    'two_copies_at_once': two_copies_at_once,
    'settings_not_saved': settings_not_saved,
    'start_with_windows': start_with_windows,
    'keyword_alert': keyword_alert,
    'keyword_dialog': keyword_dialog,
    'quiet_from_tray': quiet_from_tray,
    'quiet_survives_restart': quiet_survives_restart,
    'full_screen_holds_popup': full_screen_holds_popup,
    'high_dpi': high_dpi,
    'two_monitors': two_monitors,
}


def main():
    names = sys.argv[1:] or list(SCENARIOS)
    failed = 0
    for name in names:
        started = time.time()
        session = Session(name)
        try:
            SCENARIOS[name](session)
            print('e2e %s: passed in %.1f s' % (name, time.time() - started))
        except Failure as failure:
            failed += 1
            session.shot('failure')
            print('e2e %s: FAILED: %s' % (name, failure))
        finally:
            session.close()
            print('  screenshots: %s\n  logs: %s' % (session.shots, session.workdir))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
