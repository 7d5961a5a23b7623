#!/usr/bin/env python3
"""Writes the workbench's SVG images into browser/gui/icons/ and the application icon
next to the program (programs/MelwickEx/melwickex.svg). The images are drawn here, on a
16x16 pixel grid (48x48 for the application icon), so that every one is reproducible.

Run from anywhere: scripts/make-icons.py
"""
import os

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "browser", "gui", "icons")

# Tango palette
GREY_DARK = "#2e3436"
GREY = "#555753"
GREY_MID = "#888a85"
GREY_LIGHT = "#babdb6"
ALUMINIUM = "#d3d7cf"
BLUE_DARK = "#204a87"
BLUE = "#3465a4"
BLUE_LIGHT = "#729fcf"
GREEN_DARK = "#4e9a06"
GREEN = "#73d216"
ORANGE_DARK = "#ce5c00"
ORANGE = "#f57900"
ORANGE_LIGHT = "#fcaf3e"
RED = "#cc0000"
YELLOW_DARK = "#c4a000"
YELLOW = "#edd400"
YELLOW_LIGHT = "#fce94f"


def svg(body, size=16):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
            f'viewBox="0 0 {size} {size}">\n{body}</svg>\n')


def rect(x, y, w, h, fill, extra=""):
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{fill}"{extra}/>\n'


# --- row-state icons -----------------------------------------------------------------

def lyrics_page(kind):
    """A lyrics file: a page with text lines; line-head tags as blue blocks at the line
    heads, karaoke tags as blue ticks inside the lines with the sung part in orange."""
    out = ('<path d="M2.5 0.5h8l3 3v12h-11z" fill="#ffffff" stroke="%s"/>\n'
           '<path d="M10.5 0.5v3h3" fill="none" stroke="%s"/>\n' % (GREY_MID, GREY_MID))
    rows = [(4, 9, 2), (7, 12, 4), (10, 12, 1), (13, 11, 3)]  # (y, right end, sung length)
    for y, end, sung in rows:
        if kind == "none":
            out += rect(4, y, end - 4, 1, GREY_MID)
        elif kind == "linehead":
            out += rect(4, y - 1, 2, 2, BLUE)
            out += rect(7, y, end - 7, 1, GREY_MID)
        else:  # karaoke: a tag, the part already sung, the next tag, the rest of the line
            out += rect(4, y - 1, 1, 2, BLUE)
            out += rect(5, y, sung, 1, ORANGE)
            out += rect(5 + sung, y - 1, 1, 2, BLUE)
            out += rect(6 + sung, y, end - 6 - sung, 1, GREY_MID)
    return out


def note(color):
    """Two beamed eighth notes in the left 10 pixels."""
    return (f'<g fill="{color}">\n'
            '<ellipse cx="2.8" cy="12.6" rx="2.3" ry="1.75" transform="rotate(-20 2.8 12.6)"/>\n'
            '<ellipse cx="7.8" cy="11.1" rx="2.3" ry="1.75" transform="rotate(-20 7.8 11.1)"/>\n'
            '<rect x="4" y="3.5" width="1.1" height="9"/>\n'
            '<rect x="9" y="2" width="1.1" height="9"/>\n'
            '<path d="M4 3.5L10.1 1.5V3.8L4 5.8z"/>\n'
            '</g>\n')


def song(rmp):
    if not rmp:
        return note(BLUE_DARK)
    # RMP: the MPEG stream sits inside a RIFF container, drawn as a box around the note.
    return (f'<rect x="0.5" y="0.5" width="12" height="15" rx="1.5" fill="{ORANGE_LIGHT}" stroke="{ORANGE_DARK}"/>\n'
            '<g transform="translate(1 0)">\n' + note(GREY_DARK) + '</g>\n')


def lyrics3_badge():
    """Embedded Lyrics3 lyrics: a small page at the top right."""
    return (f'<path d="M10.5 0.5h5v7h-5z" fill="#ffffff" stroke="{GREY}"/>\n'
            + rect(11.5, 2, 3, 1, ORANGE) + rect(11.5, 4, 3, 1, ORANGE))


def paired_badge():
    """Paired with a file of the other list: the list's "○" mark, green, at the bottom right."""
    return ('<circle cx="12" cy="12" r="4" fill="#ffffff"/>\n'
            f'<circle cx="12" cy="12" r="2.75" fill="none" stroke="{GREEN_DARK}" stroke-width="1.5"/>\n')


def row_icons():
    icons = {}
    for rmp in (False, True):
        base = "row-rmp" if rmp else "row-mp3"
        for lyrics3 in (False, True):
            for paired in (False, True):
                name = base + ("-lyrics3" if lyrics3 else "") + ("-paired" if paired else "")
                body = song(rmp)
                if lyrics3:
                    body += lyrics3_badge()
                if paired:
                    body += paired_badge()
                icons[name] = svg(body)
    for kind in ("none", "linehead", "karaoke"):
        icons["row-lyrics-" + kind] = svg(lyrics_page(kind))
        icons["row-lyrics-" + kind + "-paired"] = svg(lyrics_page(kind) + paired_badge())
    return icons


# --- sort arrows ---------------------------------------------------------------------

def sort_icons():
    return {
        "sort-descending": svg(f'<path d="M4 6h8l-4 5z" fill="{GREY}"/>\n'),
        "sort-ascending": svg(f'<path d="M4 10h8l-4-5z" fill="{GREY}"/>\n'),
    }


# --- toolbar and transport -----------------------------------------------------------

def page(x, y, w, h, lines=True, line_color=GREY_LIGHT):
    out = f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="#ffffff" stroke="{GREY_MID}"/>\n'
    if lines:
        yy = y + 2.5
        while yy + 1 < y + h - 1:
            out += rect(x + 1.5, yy, w - 3, 1, line_color)
            yy += 2
    return out


def check_rows(states, right=15):
    """List rows with check boxes; states: True checked, False empty."""
    out = ""
    for i, checked in enumerate(states):
        y = 1.5 + i * 5
        out += f'<rect x="1.5" y="{y}" width="4" height="4" fill="#ffffff" stroke="{GREY}"/>\n'
        if checked:
            out += (f'<path d="M2.2 {y + 1.9}l1.3 1.4 2.6-3.4" fill="none" stroke="{GREEN_DARK}" '
                    'stroke-width="1.4" stroke-linecap="round" stroke-linejoin="round"/>\n')
        out += rect(7, y + 1.5, right - 7, 1, GREY_MID)
    return out


def name_field():
    """A file name being edited: a text field with a name and the text cursor."""
    return (f'<rect x="0.5" y="9.5" width="15" height="6" fill="#ffffff" stroke="{GREY}"/>\n'
            + rect(2, 12, 8, 1.5, BLUE) + rect(11, 11, 1, 3.5, GREY_DARK))


def toolbar_icons():
    icons = {}
    icons["open"] = svg(
        f'<path d="M1.5 13.5v-11h4l1 1.5h6.5v2" fill="{YELLOW}" stroke="{YELLOW_DARK}" stroke-linejoin="round"/>\n'
        f'<path d="M1.5 13.5l2.5-7h11.5l-2.5 7z" fill="{YELLOW_LIGHT}" stroke="{YELLOW_DARK}" stroke-linejoin="round"/>\n')
    icons["save"] = svg(
        f'<path d="M1.5 1.5h11l2 2v11h-13z" fill="{BLUE}" stroke="{BLUE_DARK}" stroke-linejoin="round"/>\n'
        + rect(4, 2, 7, 5, "#ffffff") + rect(4, 3, 7, 1, GREY_LIGHT) + rect(4, 5, 7, 1, GREY_LIGHT)
        + rect(5, 10, 6, 4.5, ALUMINIUM) + rect(8.5, 11, 1.5, 2.5, BLUE_DARK))
    icons["copy"] = svg(page(1.5, 0.5, 9, 11) + page(5.5, 4.5, 9, 11, line_color=BLUE_LIGHT))
    icons["move"] = svg(
        page(1.5, 0.5, 9, 12)
        + f'<path d="M6.5 10.5h4v-3l5 4.5-5 4.5v-3h-4z" fill="{GREEN}" stroke="{GREEN_DARK}" stroke-linejoin="round"/>\n')
    icons["delete-trash"] = svg(
        f'<path d="M3.5 5.5h9l-1 9.5h-7z" fill="{ALUMINIUM}" stroke="{GREY}" stroke-linejoin="round"/>\n'
        f'<rect x="1.5" y="3.5" width="13" height="2" fill="{GREY_LIGHT}" stroke="{GREY}"/>\n'
        f'<path d="M6 3.5v-2h4v2" fill="none" stroke="{GREY}"/>\n'
        + rect(5.5, 7, 1, 6.5, GREY_MID) + rect(7.5, 7, 1, 6.5, GREY_MID) + rect(9.5, 7, 1, 6.5, GREY_MID))
    icons["delete-direct"] = svg(
        f'<path d="M3.5 3.5l9 9M12.5 3.5l-9 9" stroke="{RED}" stroke-width="3" stroke-linecap="round"/>\n')
    arrow_left = f'<path d="M1 4.5l4.5-4v2.5h9.5v3h-9.5v2.5z" fill="{GREEN}" stroke="{GREEN_DARK}" stroke-width="0.8" stroke-linejoin="round"/>\n'
    arrow_right = f'<path d="M15 4.5l-4.5-4v2.5h-9.5v3h9.5v2.5z" fill="{GREEN}" stroke="{GREEN_DARK}" stroke-width="0.8" stroke-linejoin="round"/>\n'
    icons["rename-right-to-left"] = svg(arrow_left + name_field())
    icons["rename-left-to-right"] = svg(arrow_right + name_field())
    icons["rename-manual"] = svg(
        name_field()
        + f'<path d="M8.5 8.5l-1 2.5 2.5-1 5.5-5.5-1.5-1.5z" fill="{YELLOW}" stroke="{GREY_DARK}" stroke-width="0.8" stroke-linejoin="round"/>\n'
        + f'<path d="M12.8 3.2l1.5 1.5" stroke="{GREY_DARK}" stroke-width="0.8"/>\n')
    icons["research"] = svg(
        f'<path d="M13.5 8A5.5 5.5 0 1 1 11.2 3.6" fill="none" stroke="{BLUE}" stroke-width="2"/>\n'
        f'<path d="M8.5 0.8l6 0.4-1.6 5.6z" fill="{BLUE}"/>\n')
    icons["autoload"] = svg(
        page(1.5, 0.5, 10, 14)
        + f'<path d="M11.5 6.5l-3.5 5h3l-1.5 4 5-5.5h-3l1.5-3.5z" fill="{YELLOW_LIGHT}" stroke="{YELLOW_DARK}" stroke-width="0.8" stroke-linejoin="round"/>\n')
    icons["select-all"] = svg(check_rows([True, True, True]))
    icons["select-none"] = svg(check_rows([False, False, False]))
    icons["select-inverse"] = svg(
        check_rows([True, False, True], right=11)
        + f'<path d="M13.5 2v11" stroke="{BLUE}" stroke-width="1.2"/>\n'
        f'<path d="M11.5 4l2-3 2 3zM11.5 11.5l2 3 2-3z" fill="{BLUE}"/>\n')
    icons["select-clear"] = svg(
        check_rows([True, False, True], right=10)
        + f'<rect x="9.5" y="10.5" width="6" height="3" fill="{RED}" stroke="#a40000" stroke-width="0.8"/>\n')
    icons["select-search"] = svg(
        check_rows([True, False, True], right=8)
        + f'<circle cx="11" cy="9" r="3.2" fill="#ffffff" fill-opacity="0.8" stroke="{GREY_DARK}" stroke-width="1.5"/>\n'
        f'<path d="M13.3 11.3l2.2 2.7" stroke="{GREY_DARK}" stroke-width="2" stroke-linecap="round"/>\n')
    icons["autoselect"] = svg(
        f'<rect x="0.5" y="1.5" width="6" height="13" fill="#ffffff" stroke="{GREY}"/>\n'
        f'<rect x="9.5" y="1.5" width="6" height="13" fill="#ffffff" stroke="{GREY}"/>\n'
        + rect(1, 3, 5, 1, GREY_LIGHT) + rect(10, 3, 5, 1, GREY_LIGHT)
        + rect(1, 11.5, 5, 1, GREY_LIGHT) + rect(10, 11.5, 5, 1, GREY_LIGHT)
        + rect(1, 6.5, 5, 3, BLUE) + rect(10, 6.5, 5, 3, BLUE)
        + rect(6, 7.5, 4, 1, ORANGE))
    icons["help"] = svg(
        f'<circle cx="8" cy="8" r="7" fill="{BLUE}" stroke="{BLUE_DARK}"/>\n'
        '<path d="M5.6 6.1a2.4 2.4 0 1 1 3.5 2.1c-.8.4-1.1.9-1.1 1.6v.6" fill="none" stroke="#ffffff" '
        'stroke-width="1.8" stroke-linecap="round"/>\n'
        '<circle cx="8" cy="12.6" r="1.1" fill="#ffffff"/>\n')
    icons["play"] = svg(f'<path d="M4 2v12l10-6z" fill="{GREY_DARK}"/>\n')
    icons["pause"] = svg(rect(3, 2, 3.5, 12, GREY_DARK) + rect(9.5, 2, 3.5, 12, GREY_DARK))
    icons["stop"] = svg(rect(3, 3, 10, 10, GREY_DARK))
    return icons


# --- application icon ----------------------------------------------------------------

def app_icon():
    body = (
        '<defs>\n'
        '<linearGradient id="bg" x1="0" y1="0" x2="0" y2="1">\n'
        f'<stop offset="0" stop-color="{BLUE_LIGHT}"/>\n'
        f'<stop offset="1" stop-color="{BLUE_DARK}"/>\n'
        '</linearGradient>\n'
        '</defs>\n'
        f'<rect x="2" y="2" width="44" height="44" rx="9" fill="url(#bg)" stroke="{BLUE_DARK}" stroke-width="1"/>\n'
        # the lyrics sheet with time tags at the line heads and a karaoke highlight
        f'<path d="M19.5 6.5h17l5 5v29h-22z" fill="#ffffff" stroke="{GREY}" stroke-width="1"/>\n'
        f'<path d="M36.5 6.5v5h5" fill="none" stroke="{GREY}" stroke-width="1"/>\n'
    )
    for i, y in enumerate((13, 19, 25, 31)):
        body += rect(23, y, 4, 3, BLUE)
        end = 34 if i == 0 else 39
        if i == 1:
            body += rect(29, y + 0.5, 5, 2, ORANGE) + rect(34, y + 0.5, end - 34, 2, GREY_MID)
        else:
            body += rect(29, y + 0.5, end - 29, 2, GREY_MID)
    # the song: beamed notes in front of the sheet
    body += (
        f'<g fill="{YELLOW_LIGHT}" stroke="{GREY_DARK}" stroke-width="1.2" stroke-linejoin="round">\n'
        '<path d="M9 20.5L20 17v17.5h-2.5V23L11.5 24.8v12.7H9z"/>\n'
        '<ellipse cx="7" cy="37.6" rx="4.2" ry="3.2" transform="rotate(-20 7 37.6)"/>\n'
        '<ellipse cx="15.7" cy="34.6" rx="4.2" ry="3.2" transform="rotate(-20 15.7 34.6)"/>\n'
        '</g>\n')
    return svg(body, 48)


def main():
    icons = {}
    icons.update(row_icons())
    icons.update(sort_icons())
    icons.update(toolbar_icons())
    icons["melwickex"] = app_icon()
    os.makedirs(OUT, exist_ok=True)
    for name, text in sorted(icons.items()):
        with open(os.path.join(OUT, name + ".svg"), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    with open(os.path.join(ROOT, "programs", "MelwickEx", "melwickex.svg"), "w", encoding="utf-8", newline="\n") as f:
        f.write(icons["melwickex"])
    qrc = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '<qresource prefix="/">']
    for name in sorted(icons):
        qrc.append(f'    <file>icons/{name}.svg</file>')
    qrc += ['</qresource>', '</RCC>', '']
    with open(os.path.join(ROOT, "browser", "gui", "icons.qrc"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(qrc))


if __name__ == "__main__":
    main()
