"""Builds Glyphara's user manual: an HTML copy with its pictures and a PDF printed from it.

The text is Markdown. A picture that stands alone in a paragraph becomes a figure with
its alternative text as caption; its file is looked up among the screenshots, and when
it is missing (the program could not be photographed) a note takes its place, so the
manual is always complete. Pictures named "art/NAME.svg" are the program's own artwork.

Usage: build_manual.py --source manual.md --style manual.css --shots DIR --art DIR
                       --output DIR --name "Glyphara Manual W" --work DIR
                       --chromium PATH --version 4.1
"""
import argparse
import html
import os
import re
import shutil
import signal
import subprocess
import sys
import urllib.parse

import markdown

FIGURE = re.compile(r'<p>\s*<img alt="([^"]*)" src="([^"]+)"([^>]*?)\s*/?>\s*</p>')
IMAGE = re.compile(r'<img\b[^>]*>')
IMAGE_SRC = re.compile(r'\bsrc="([^"]+)"')
LOCAL_LINK = re.compile(r'<a href="(?![#]|[a-z]+:)[^"]*">(.*?)</a>', re.S)
EXTENSIONS = ["tables", "toc", "attr_list", "def_list", "fenced_code", "sane_lists", "admonition"]


def warn(message):
    print("warning: manual: " + message, file=sys.stderr)


def parse_arguments():
    parser = argparse.ArgumentParser(description="Builds the user manual (HTML and PDF).")
    parser.add_argument("--source", required=True)
    parser.add_argument("--style", required=True)
    parser.add_argument("--shots", required=True, help="folder of the screenshots")
    parser.add_argument("--art", required=True, help="folder of the program's SVG artwork")
    parser.add_argument("--output", required=True, help="the program's Manuals folder")
    parser.add_argument("--name", required=True, help="file name of the manual without extension")
    parser.add_argument("--work", required=True, help="scratch folder")
    parser.add_argument("--chromium", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--timeout", type=int, default=120)
    return parser.parse_args()


class Pictures:
    """Resolves the pictures the text asks for and remembers which files to ship."""

    def __init__(self, shots, art):
        self.shots = shots
        self.art = art
        self.files = {}   # name in the pictures folder -> source file
        self.missing = []

    def source_of(self, src):
        if src.startswith("art/"):
            return os.path.join(self.art, src[len("art/"):])
        return os.path.join(self.shots, src)

    def use(self, src):
        """Returns the file name in the pictures folder, or None when the picture is missing."""
        path = self.source_of(src)
        if not os.path.isfile(path) or os.path.getsize(path) == 0:
            return None
        name = os.path.basename(src)
        self.files[name] = path
        return name


def render_body(text, pictures):
    md = markdown.Markdown(extensions=EXTENSIONS,
                           extension_configs={"toc": {"toc_depth": "1-2", "permalink": False}})
    body = md.convert(text)

    def figure(match):
        alt, src, rest = match.group(1), match.group(2), match.group(3)
        name = pictures.use(src)
        caption = "<figcaption>%s</figcaption>" % alt if alt else ""
        if name is None:
            pictures.missing.append(src)
            return ('<figure class="missing"><div class="placeholder">Picture not available in this '
                    'copy of the manual: %s</div>%s</figure>' % (alt or src, caption))
        return '<figure><img alt="%s" src="@PICTURES@/%s"%s>%s</figure>' % (alt, name, rest, caption)

    body = FIGURE.sub(figure, body)

    # Pictures inside a line or a table cell (the tool bar's icons): left out when missing.
    def inline(match):
        tag = match.group(0)
        src = IMAGE_SRC.search(tag).group(1)
        if src.startswith("@PICTURES@/"):
            return tag
        name = pictures.use(src)
        if name is None:
            pictures.missing.append(src)
            return ""
        return tag.replace('src="%s"' % src, 'src="@PICTURES@/%s"' % name)

    body = IMAGE.sub(inline, body)
    return body, md.toc_tokens


def render_toc(tokens):
    items = []
    for chapter in tokens:
        children = "".join('<li><a href="#%s">%s</a></li>' % (child["id"], child["name"])
                           for child in chapter.get("children", []))
        items.append('<li><a href="#%s">%s</a>%s</li>' % (
            chapter["id"], chapter["name"], "<ol>%s</ol>" % children if children else ""))
    return '<nav class="toc"><h2 class="toc-title">Contents</h2><ol>%s</ol></nav>' % "".join(items)


def page(body, toc, style, version, cover):
    cover_picture = '<img class="cover-picture" alt="" src="@PICTURES@/%s">' % cover if cover else ""
    return """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Glyphara Manual</title>
<style>
%s
</style>
</head>
<body>
<header class="cover">
%s
<p class="cover-title">Glyphara</p>
<p class="cover-subtitle">User Manual</p>
<p class="cover-version">Version %s for Linux</p>
<p class="cover-maker">Tallowby Software</p>
</header>
%s
<main>
%s
</main>
</body>
</html>
""" % (style, cover_picture, html.escape(version), toc, body)


def run_chromium(chromium, source, target, work, timeout):
    profile = os.path.join(work, "profile")
    home = os.path.join(work, "home")
    shutil.rmtree(profile, ignore_errors=True)
    os.makedirs(home, exist_ok=True)
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"))
    env.pop("DISPLAY", None)
    command = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               "--disable-extensions", "--user-data-dir=" + profile, "--no-pdf-header-footer",
               "--generate-pdf-document-outline", "--virtual-time-budget=10000",
               "--print-to-pdf=" + target, "file://" + urllib.parse.quote(source)]
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=env,
                               start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        return "Chromium did not finish within %d seconds" % timeout
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    if process.returncode != 0:
        tail = output.decode("utf-8", "replace").strip().splitlines()[-3:]
        return "Chromium ended with status %d: %s" % (process.returncode, " / ".join(tail))
    with open(target, "rb") as f:
        if f.read(5) != b"%PDF-":
            return "Chromium wrote no PDF"
    return None


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    args = parse_arguments()
    with open(args.source, encoding="utf-8") as f:
        text = f.read()
    with open(args.style, encoding="utf-8") as f:
        style = f.read()
    os.makedirs(args.work, exist_ok=True)
    os.makedirs(args.output, exist_ok=True)

    pictures = Pictures(args.shots, args.art)
    body, toc_tokens = render_body(text, pictures)
    cover = pictures.use("art/GlypharaSplash.svg")
    document = page(body, render_toc(toc_tokens), style, args.version, cover)
    for src in sorted(set(pictures.missing)):
        warn("picture %s is missing; a note stands in its place" % src)
    anchors = set(re.findall(r'\bid="([^"]+)"', document))
    for target in sorted(set(re.findall(r'href="#([^"]+)"', document)) - anchors):
        warn("the link to #%s leads nowhere" % target)

    # The shipped copy: pictures in a folder beside the page, emptied of old pictures first.
    folder_name = args.name + " files"
    folder = os.path.join(args.output, folder_name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, source in sorted(pictures.files.items()):
        shutil.copyfile(source, os.path.join(folder, name))
    shipped = document.replace("@PICTURES@", urllib.parse.quote(folder_name))
    html_path = os.path.join(args.output, args.name + ".html")
    write(html_path + ".part", shipped)
    os.replace(html_path + ".part", html_path)

    # The copy to print: links to the other pages of the Manuals folder would point into
    # this build tree, so the PDF keeps their text only.
    printable = LOCAL_LINK.sub(r'<span class="page-name">\1</span>', document)
    printable = printable.replace("@PICTURES@", urllib.parse.quote(folder))
    print_path = os.path.join(args.work, "print.html")
    write(print_path, printable)

    pdf_path = os.path.join(args.output, args.name + ".pdf")
    scratch = os.path.join(args.work, "manual.pdf")
    error = None
    for _ in range(2):
        if os.path.exists(scratch):
            os.remove(scratch)
        error = run_chromium(args.chromium, print_path, scratch, args.work, args.timeout)
        if error is None:
            break
        warn(error + "; trying once more")
    if error is not None:
        print("error: manual: the PDF could not be printed: " + error, file=sys.stderr)
        return 1
    shutil.move(scratch, pdf_path)
    print("manual: wrote %s and %s (%d pictures, %d missing)" % (
        pdf_path, html_path, len(pictures.files), len(set(pictures.missing))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
