#!/usr/bin/python3
# Loads a page in WebKitGTK (the engine of the window's preview), waits until the sIFR
# runtime is done and writes what the view shows to a PNG file.
#   webkit_shot.py URL OUT.png   (under an X server: xvfb-run)
import sys

import gi
gi.require_version('Gtk', '3.0')
gi.require_version('WebKit2', '4.0')
from gi.repository import GLib, Gtk, WebKit2  # noqa: E402

url, out = sys.argv[1], sys.argv[2]
window = Gtk.Window()
window.set_default_size(1280, 900)
view = WebKit2.WebView()
window.add(view)
window.show_all()
state = {'tries': 0, 'code': 1}


def shot_done(source, result):
    try:
        view.get_snapshot_finish(result).write_to_png(out)
        state['code'] = 0
    finally:
        Gtk.main_quit()


def checked(source, result):
    try:
        done = view.evaluate_javascript_finish(result).to_boolean()
    except GLib.Error:
        done = False
    if done:
        # A moment for the frame that shows the finished page.
        GLib.timeout_add(500, lambda: view.get_snapshot(WebKit2.SnapshotRegion.VISIBLE, WebKit2.SnapshotOptions.NONE,
                                                        None, shot_done) and False)
    elif state['tries'] < 150:
        GLib.timeout_add(200, poll)
    else:
        print('the runtime did not finish', file=sys.stderr)
        Gtk.main_quit()


def poll():
    state['tries'] += 1
    view.evaluate_javascript("document.documentElement.getAttribute('data-sifr-done') === 'true'", -1, None, None, None, checked)
    return False


view.load_uri(url)
GLib.timeout_add(200, poll)
Gtk.main()
sys.exit(state['code'])
