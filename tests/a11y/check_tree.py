"""Reads the running program as a screen reader does, over AT-SPI, and fails on what a
blind designer could not work with: a showing control without a name, a label that labels
another control, a font list without named rows, tip, About and Get Code texts not
exposed, a Tab stop without a name. Run by check_accessibility.sh: check_tree.py PROJECT.xml
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

# What a user operates; scroll bars are the toolkit's own.
INTERACTIVE = {'push button', 'toggle button', 'check box', 'radio button', 'combo box', 'text', 'slider',
               'spin button', 'table', 'tree table', 'list', 'list box', 'link', 'menu item', 'entry'}
failures = []


def fail(message):
    failures.append(message)
    print('FAIL: ' + message, flush=True)


def describe(obj):
    return "%s '%s'" % (obj.getRoleName(), obj.name)


def pump(seconds):
    """Lets AT-SPI events arrive while waiting."""
    context, until = GLib.MainContext.default(), time.time() + seconds
    while time.time() < until:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def wait_for(condition, seconds=30):
    until = time.time() + seconds
    while time.time() < until:
        try:
            found = condition()
        except Exception:  # the tree changes while it is read
            found = None
        if found:
            return found
        pump(0.2)
    return None


def windows():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == 'glyphara-window':
            return [app.getChildAtIndex(i) for i in range(app.childCount)]
    return []


def window(name_start):
    return next((w for w in windows() if w and w.name.startswith(name_start)), None)


def walk(obj):
    """Every object below obj, but not the preview's page: that is the user's content."""
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None and child.getRoleName() != 'document web':
            yield child
            yield from walk(child)


def find(root, role, name=None):
    return next((o for o in walk(root) if o.getRoleName() == role and name in (None, o.name)), None)


def showing(obj):
    return obj.getState().contains(pyatspi.STATE_SHOWING)


def extents(obj):
    return obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def targets(obj, relation_type):
    return [relation.getTarget(i) for relation in obj.getRelationSet()
            if relation.getRelationType() == relation_type for i in range(relation.getNTargets())]


def key(*names):
    for name in names:
        subprocess.run(['xdotool', 'key', name], check=False)
        pump(0.3)


def activate_main():
    subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', '^Glyphara  - ', 'windowactivate', '%1'],
                   check=False, timeout=10)
    pump(0.5)


def check_names(root):
    controls = [obj for obj in walk(root) if obj.getRoleName() in INTERACTIVE and showing(obj)]
    for obj in controls:
        if not obj.name.strip():
            fail('%s in %s has no name' % (describe(obj), describe(obj.parent)))
    print('%s: %d showing controls read' % (describe(root), len(controls)), flush=True)


def check_labels(root):
    """A label labels the field in its row, or the control inside the box it titles, and
    that control names it as its label."""
    for label in (o for o in walk(root) if o.getRoleName() == 'label'):
        for target in targets(label, pyatspi.RELATION_LABEL_FOR):
            if not label.name.strip():
                fail('an empty label labels %s' % describe(target))
                continue
            if not any(label.path == back.path for back in targets(target, pyatspi.RELATION_LABELLED_BY)):
                fail("label '%s' labels %s, which does not name it back" % (label.name, describe(target)))
            if not (showing(label) and showing(target)):
                continue
            own, field, group = extents(label), extents(target), label.parent
            if group.getRoleName() == 'panel' and group.name == label.name:
                box = extents(group)
                beside = (box.x - 2 <= field.x and box.y - 2 <= field.y and field.x + field.width <= box.x + box.width
                          + 2 and field.y + field.height <= box.y + box.height + 2)
            else:
                beside = field.y - 2 <= own.y + own.height / 2 <= field.y + field.height + 2 and field.x >= own.x
            if not beside:
                fail("label '%s' labels %s, which is not beside it" % (label.name, describe(target)))


def check_font_list(main, font_in_use):
    fonts = find(main, 'table', 'Font')
    rows = [fonts.getChildAtIndex(i) for i in range(fonts.childCount)] if fonts else []
    cells = [row for row in rows if row.getRoleName() == 'table cell' and row.name.strip()]
    if not cells:
        fail('the font list has no named fonts')
        return
    if not any(', ' in cell.name for cell in cells):
        fail('no font row says its foundry')
    if not any(row.getRoleName() == 'heading' and row.name for row in rows):
        fail('no foundry header is read as a heading')
    if not any(row.getRoleName() == 'link' and row.name.startswith('Add more fonts from ') for row in rows):
        fail('no add-more row is read as a link')
    selected = [c.name for c in cells if c.getState().contains(pyatspi.STATE_SELECTED)]
    if selected != [font_in_use]:
        fail('the font in use is not the one row read as selected: %s' % selected)
    action = cells[0].queryAction()
    if 'activate' not in [action.getName(i) for i in range(action.nActions)]:
        fail('a font row cannot be activated')


def check_tip():
    tip = wait_for(lambda: window('Daily tip'))
    if not tip:
        fail('the daily tip did not show')
        return
    check_names(tip)
    if not find(tip, 'check box', 'Show tips on startup'):
        fail('the tip window has no "Show tips on startup" box')
    texts = [o for o in walk(tip) if o.getRoleName() == 'label' and len(o.name) > 20]
    if not texts or texts[0].queryText().getText(0, -1) != texts[0].name:
        fail('the tip is not exposed as text')
    find(tip, 'push button', 'Close').queryAction().doAction(0)
    wait_for(lambda: not window('Daily tip'), 10)


def opened(what, name_start):
    shown = wait_for(lambda: window(name_start), 20)
    if not shown:
        fail('%s did not open; the windows: %s' % (what, [describe(w) for w in windows()]))
    return shown


def closed_by_escape(name_start):
    key('Escape')
    if not wait_for(lambda: not window(name_start), 10):
        fail('Escape did not close %s' % name_start)


def check_get_code():
    # Opened with the keys a user presses: the program answers no screen reader while an
    # action it was asked for waits on a modal window.
    activate_main()
    key('alt+w', 'g')
    dialog = opened('Get Code', 'How to add your cool fonts')
    if not dialog:
        return
    check_names(dialog)
    link = find(dialog, 'link')
    if not link or 'open it' not in link.name or not link.getState().contains(pyatspi.STATE_FOCUSABLE):
        fail('Get Code has no folder link that takes the keyboard')
    if not any(o.name.startswith('2. Copy the "glypharadata" folder') for o in walk(dialog)):
        fail('the steps are not exposed as text')
    closed_by_escape('How to add your cool fonts')


def check_about(main):
    find(main, 'menu item', 'About Glyphara').queryAction().doAction(0)
    about = opened('About Glyphara', 'About Glyphara')
    if not about:
        return
    texts = [o.queryText().getText(0, -1) for o in walk(about) if o.getRoleName() == 'label']
    if not any(text.startswith('version ') and ' build ' in text for text in texts):
        fail('the About window does not expose its version: %s' % texts)
    if 'Tallowby Software' not in texts:
        fail('the About window does not expose its maker: %s' % texts)
    closed_by_escape('About Glyphara')


def check_tab_stops(presses=110):
    """Every control Tab reaches is announced with a name."""
    focused = []

    def on_focus(event):
        if event.detail1:
            focused.append(event.source)

    pyatspi.Registry.registerEventListener(on_focus, 'object:state-changed:focused')
    activate_main()
    for _ in range(presses):
        subprocess.run(['xdotool', 'key', 'Tab'], check=False)
        pump(0.08)
    pump(0.5)
    pyatspi.Registry.deregisterEventListener(on_focus, 'object:state-changed:focused')
    names = set()
    for obj in focused:
        role, name = obj.getRoleName(), obj.name
        if role not in ('document web', 'frame', 'dialog'):
            if not name.strip():
                fail('Tab stops on %s in %s without a name' % (role, describe(obj.parent)))
            names.add(name)
    print('Tab reached %d named stops' % len(names), flush=True)
    if len(names) < 30:
        fail('Tab reached only %d named stops: %s' % (len(names), sorted(names)))
    if not any(name.endswith('choose a color') for name in names):
        fail('Tab never reached a colour swatch')


def main():
    main_window = wait_for(lambda: window('Glyphara  - bakery'), 60)
    if not main_window:
        print('FAIL: the main window did not come up: %s' % [describe(w) for w in windows()])
        return 1
    if not wait_for(lambda: find(main_window, 'table', 'Font').childCount > 1, 20):
        fail('the font list never filled')
    check_tip()
    check_names(main_window)
    check_labels(main_window)
    check_font_list(main_window, 'DejaVu Sans, DejaVu')
    check_get_code()
    check_about(main_window)
    check_tab_stops()
    print('%d failures' % len(failures))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
