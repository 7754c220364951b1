"""Reads the running program as a screen reader does, over AT-SPI, and fails on what a
blind designer could not work with: a showing interactive control without a name, a label
that labels some other control, a font list without named rows, the texts of the daily
tip, the About window and Get Code not exposed, a Tab stop without a name.

Run by check_accessibility.sh inside a private session: check_tree.py PROJECT.xml
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

PROGRAM = 'glyphara-window'
# What a user operates; scroll bars and menus of a menu bar are the toolkit's own.
INTERACTIVE = {'push button', 'toggle button', 'check box', 'radio button', 'combo box', 'text',
               'password text', 'slider', 'spin button', 'table', 'tree table', 'list', 'list box',
               'link', 'page tab', 'menu item', 'check menu item', 'radio menu item', 'entry'}
failures = []


def fail(message):
    failures.append(message)
    print('FAIL: ' + message, flush=True)


def describe(obj):
    return "%s '%s'" % (obj.getRoleName(), obj.name)


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


def pump(seconds):
    """Lets AT-SPI events arrive while waiting."""
    context = GLib.MainContext.default()
    until = time.time() + seconds
    while time.time() < until:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == PROGRAM:
            return app
    return None


def showing(obj):
    return obj.getState().contains(pyatspi.STATE_SHOWING)


def walk(obj):
    """Every object below obj, the preview's web page (the user's content) left out."""
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is None or child.getRoleName() == 'document web':
            continue
        yield child
        yield from walk(child)


def window(name_start, role=None):
    app = application()
    if not app:
        return None
    for i in range(app.childCount):
        child = app.getChildAtIndex(i)
        if child and child.name.startswith(name_start) and (role is None or child.getRoleName() == role):
            return child
    return None


def find(root, role, name=None, start=None):
    for obj in walk(root):
        if obj.getRoleName() != role:
            continue
        if name is not None and obj.name != name:
            continue
        if start is not None and not obj.name.startswith(start):
            continue
        return obj
    return None


def extents(obj):
    return obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def targets(obj, relation_type):
    found = []
    for relation in obj.getRelationSet():
        if relation.getRelationType() == relation_type:
            found += [relation.getTarget(i) for i in range(relation.getNTargets())]
    return found


def ancestors(obj):
    chain = []
    while obj is not None and obj.getRoleName() != 'application':
        chain.append(describe(obj))
        obj = obj.parent
    return chain


def same(a, b):
    return a.path == b.path


def check_names(root):
    for obj in walk(root):
        if obj.getRoleName() in INTERACTIVE and showing(obj) and not obj.name.strip():
            fail('%s in %s has no name' % (describe(obj), describe(obj.parent)))


def check_labels(root):
    """A label labels its own control: the field in its row, or the control inside the
    box it titles; and the control knows it."""
    for obj in walk(root):
        if obj.getRoleName() != 'label':
            continue
        for target in targets(obj, pyatspi.RELATION_LABEL_FOR):
            if not obj.name.strip():
                fail('an empty label labels %s' % describe(target))
                continue
            if not any(same(obj, back) for back in targets(target, pyatspi.RELATION_LABELLED_BY)):
                fail("label '%s' labels %s, which does not name it as its label" % (obj.name, describe(target)))
            if not (showing(obj) and showing(target)):
                continue
            label, field = extents(obj), extents(target)
            group = obj.parent
            if group is not None and group.name == obj.name and group.getRoleName() == 'panel':
                box = extents(group)
                inside = (field.x >= box.x - 2 and field.y >= box.y - 2 and
                          field.x + field.width <= box.x + box.width + 2 and
                          field.y + field.height <= box.y + box.height + 2)
                if not inside:
                    fail("box title '%s' labels %s outside its box" % (obj.name, describe(target)))
            else:
                middle = label.y + label.height / 2
                if not (field.y - 2 <= middle <= field.y + field.height + 2 and field.x >= label.x):
                    fail("label '%s' labels %s, which is not beside it" % (obj.name, describe(target)))


def check_font_list(main, project_font):
    fonts = find(main, 'table', name='Font')
    if not fonts:
        fail('no font list named Font')
        return
    rows = [fonts.getChildAtIndex(i) for i in range(fonts.childCount)]
    cells = [row for row in rows if row.getRoleName() == 'table cell' and row.name.strip()]
    if not cells:
        fail('the font list has no named fonts')
        return
    if not any(', ' in cell.name for cell in cells):
        fail('no font row says its foundry: %s' % [c.name for c in cells[:5]])
    if not any(row.getRoleName() == 'heading' and row.name.strip() for row in rows):
        fail('no foundry header is read as a heading')
    if not any(row.getRoleName() == 'link' and row.name.startswith('Add more fonts from ') for row in rows):
        fail('no add-more row is read as a link')
    selected = [c.name for c in cells if c.getState().contains(pyatspi.STATE_SELECTED)]
    if selected != [project_font]:
        fail('the font in use is not the one row read as selected: %s' % selected)
    for cell in cells[:3]:
        action = cell.queryAction()
        if 'activate' not in [action.getName(i) for i in range(action.nActions)]:
            fail('%s cannot be activated' % describe(cell))


def check_tip():
    tip = wait_for(lambda: window('Daily tip'))
    if not tip:
        fail('the daily tip did not show')
        return
    check_names(tip)
    if not find(tip, 'check box', name='Show tips on startup'):
        fail('the tip window has no "Show tips on startup" box')
    texts = [obj for obj in walk(tip) if obj.getRoleName() == 'label' and len(obj.name) > 20]
    if not texts:
        fail('the tip is not exposed as text')
    elif texts[0].queryText().getText(0, -1) != texts[0].name:
        fail('the tip label does not read as text')
    close = find(tip, 'push button', name='Close')
    close.queryAction().doAction(0)
    wait_for(lambda: not window('Daily tip'), 10)


def activate_main():
    subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', '^Glyphara  - ', 'windowactivate', '%1'],
                   check=False, timeout=10)
    pump(0.5)


def open_from_menu(main, item_name, window_name, keys=None):
    """A modal window is opened with the keys a user presses: the program answers no
    screen reader while an action it was asked for waits on a modal window."""
    if keys:
        activate_main()
        for name in keys:
            key(name)
            pump(0.3)
    else:
        item = find(main, 'menu item', name=item_name)
        if not item:
            fail('no menu item %s' % item_name)
            return None
        item.queryAction().doAction(0)
    opened = wait_for(lambda: window(window_name), 20)
    if not opened:
        fail('%s did not open %s; the windows: %s' % (item_name, window_name,
                                                      [describe(w) for w in application() or []]))
    return opened


def key(name):
    subprocess.run(['xdotool', 'key', name], check=False)


def check_about(main):
    about = open_from_menu(main, 'About Glyphara', 'About Glyphara')
    if not about:
        return
    labels = [obj for obj in walk(about) if obj.getRoleName() == 'label']
    texts = [label.queryText().getText(0, -1) for label in labels]
    if not any(text.startswith('version ') and ' build ' in text for text in texts):
        fail('the About window does not expose its version: %s' % texts)
    if 'Tallowby Software' not in texts:
        fail('the About window does not expose its maker: %s' % texts)
    key('Escape')
    if not wait_for(lambda: not window('About Glyphara'), 10):
        fail('Escape did not close the About window')


def check_get_code(main):
    dialog = open_from_menu(main, 'Get Code', 'How to add your cool fonts', keys=['alt+w', 'g'])
    if not dialog:
        return
    check_names(dialog)
    link = find(dialog, 'link')
    if not link or 'open it' not in link.name:
        fail('Get Code has no link to open the folder')
    elif not link.getState().contains(pyatspi.STATE_FOCUSABLE):
        fail('the folder link cannot take the keyboard')
    steps = [obj.name for obj in walk(dialog) if obj.getRoleName() == 'label']
    if not any(step.startswith('2. Copy the "glypharadata" folder') for step in steps):
        fail('the steps are not exposed as text: %s' % steps)
    key('Escape')
    if not wait_for(lambda: not window('How to add your cool fonts'), 10):
        fail('Escape did not close Get Code')


def check_tab_stops(main, presses=110):
    """Every control Tab reaches is announced with a name."""
    focused = []

    def on_focus(event):
        if event.detail1:
            focused.append(event.source)

    pyatspi.Registry.registerEventListener(on_focus, 'object:state-changed:focused')
    activate_main()
    for _ in range(presses):
        key('Tab')
        pump(0.08)
    pump(0.5)
    pyatspi.Registry.deregisterEventListener(on_focus, 'object:state-changed:focused')
    names = set()
    for obj in focused:
        try:
            role, name = obj.getRoleName(), obj.name
        except Exception:
            continue
        if role in ('document web', 'frame', 'dialog'):
            continue
        if not name.strip():
            fail('Tab stops on %s without a name (in %s)' % (role, ' < '.join(ancestors(obj))))
        names.add(name)
    if len(names) < 30:
        fail('Tab reached only %d named stops: %s' % (len(names), sorted(names)))
    if not any(name.endswith('choose a color') for name in names):
        fail('Tab never reached a colour swatch')


def main():
    project_font = 'DejaVu Sans, DejaVu'
    main_window = wait_for(lambda: window('Glyphara  - bakery', 'frame'), 60)
    if not main_window:
        print('FAIL: the main window did not come up: %s' % [describe(c) for c in application() or []])
        return 1
    if not wait_for(lambda: find(main_window, 'table', name='Font') and
                    find(main_window, 'table', name='Font').childCount > 1, 20):
        fail('the font list never filled')
    check_tip()
    check_names(main_window)
    check_labels(main_window)
    check_font_list(main_window, project_font)
    check_get_code(main_window)
    check_about(main_window)
    check_tab_stops(main_window)
    print('%d failures' % len(failures))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
