#!/usr/bin/env python3
"""Writes the skin's SVG picture sources into skin/icons (run again after changing a glyph).

Every picture is drawn from the same small glyph set on a 24-unit grid, so connection
pictures, settings pictures, tabs and navigation icons share one line style."""
import os

OUT = os.path.join(os.path.dirname(__file__), "..", "icons")
ACCENT = "#028CF1"
INK = "#334155"

# Glyphs: SVG elements on a 24 x 24 grid, drawn with a stroke and no fill.
G = {
    "usb": '<path d="M12 3v14"/><path d="M9.5 5.5 12 3l2.5 2.5"/><path d="M12 14l-5-3V8"/>'
           '<path d="M12 12l5-3V7"/><rect x="15.5" y="5" width="3" height="2.5"/>'
           '<circle cx="7" cy="7" r="1.4"/><circle cx="12" cy="19" r="2"/>',
    "com": '<path d="M3 8h18l-2.5 8h-13z"/><circle cx="7.5" cy="10.5" r=".6"/>'
           '<circle cx="10.5" cy="10.5" r=".6"/><circle cx="13.5" cy="10.5" r=".6"/>'
           '<circle cx="16.5" cy="10.5" r=".6"/><circle cx="9" cy="13.5" r=".6"/>'
           '<circle cx="12" cy="13.5" r=".6"/><circle cx="15" cy="13.5" r=".6"/>',
    "bt": '<path d="M7 7.5l10 9-5 4.5V3l5 4.5-10 9"/>',
    "wifi": '<path d="M3 9.5a13 13 0 0 1 18 0"/><path d="M6 12.8a8.5 8.5 0 0 1 12 0"/>'
            '<path d="M9 16a4 4 0 0 1 6 0"/><circle cx="12" cy="19" r="1"/>',
    "lan": '<rect x="4" y="4" width="16" height="12" rx="1.5"/><path d="M8 16v-3h8v3"/>'
           '<path d="M9.5 8v2M12 8v2M14.5 8v2"/><path d="M12 16v4M7 20h10"/>',
    "wlan": '<rect x="3" y="13" width="18" height="7" rx="1.5"/><path d="M7 13 5 5M17 13l2-8"/>'
            '<circle cx="7" cy="16.5" r=".7"/><circle cx="10" cy="16.5" r=".7"/>'
            '<path d="M14 16.5h3.5"/>',
    "usblan": '<rect x="3" y="9" width="9" height="6" rx="1"/><path d="M12 10.5h2.5v3H12"/>'
              '<path d="M5.5 11.2h1M8.5 11.2h1"/><rect x="16" y="6" width="5" height="5" rx=".8"/>'
              '<rect x="16" y="14" width="5" height="5" rx=".8"/><path d="M14.5 12h1.5M16 8.5v7"/>',
    "auto": '<path d="M19 12a7 7 0 0 1-12.3 4.6"/><path d="M5 12a7 7 0 0 1 12.3-4.6"/>'
            '<path d="M17.8 3.8v4h-4"/><path d="M6.2 20.2v-4h4"/><path d="M10 14l2-5 2 5M10.7 12.5h2.6"/>',
    "remote": '<path d="M7 18a4 4 0 0 1-.6-8 6 6 0 0 1 11.5 1.2A3.5 3.5 0 0 1 17.5 18z"/>'
              '<path d="M12 11v5M10 14l2 2 2-2"/>',
    "unknow": '<circle cx="12" cy="12" r="9"/><path d="M9.5 9.5a2.5 2.5 0 1 1 3.5 2.3c-.7.3-1 .9-1 1.7v.5"/>'
              '<circle cx="12" cy="17" r=".5"/>',
    "used": '<rect x="5" y="10.5" width="14" height="9.5" rx="2"/><path d="M8 10.5V8a4 4 0 0 1 8 0v2.5"/>'
            '<path d="M12 14v2.5"/>',
    "device": '<rect x="4" y="5" width="16" height="14" rx="2.5"/><path d="M8 9h8M8 12.5h5"/>'
              '<circle cx="16" cy="15.5" r="1"/>',
    "apps": '<rect x="4" y="4" width="6.5" height="6.5" rx="1.5"/><rect x="13.5" y="4" width="6.5" height="6.5" rx="1.5"/>'
            '<rect x="4" y="13.5" width="6.5" height="6.5" rx="1.5"/><rect x="13.5" y="13.5" width="6.5" height="6.5" rx="1.5"/>',
    "sps": '<path d="M10 14a4 4 0 0 0 5.7 0l3-3a4 4 0 0 0-5.7-5.7l-1 1"/>'
           '<path d="M14 10a4 4 0 0 0-5.7 0l-3 3a4 4 0 0 0 5.7 5.7l1-1"/>',
    "sale": '<path d="M4 5h2l2.2 10h9.3L20 8H7"/><circle cx="9.5" cy="19" r="1.3"/><circle cx="16.5" cy="19" r="1.3"/>',
    "remotediag": '<rect x="3" y="4" width="18" height="12" rx="1.5"/><path d="M8 20h8M12 16v4"/>'
                  '<path d="M7 10h2.5l1.5-3 2 6 1.5-3H17"/>',
    "info": '<circle cx="12" cy="12" r="9"/><path d="M12 11v5.5"/><circle cx="12" cy="7.8" r=".6"/>',
    "config": '<path d="M4 7h9M17 7h3M4 17h3M11 17h9"/><circle cx="15" cy="7" r="2"/><circle cx="9" cy="17" r="2"/>'
              '<path d="M4 12h5M13 12h7"/><circle cx="11" cy="12" r="2"/>',
    "help": '<path d="M5 4.5h9.5L19 9v10.5H5z"/><path d="M14.5 4.5V9H19"/><path d="M8.5 13h7M8.5 16.5h5"/>',
    "update": '<path d="M12 15V4M8 8l4-4 4 4"/><path d="M5 14v4.5A1.5 1.5 0 0 0 6.5 20h11a1.5 1.5 0 0 0 1.5-1.5V14"/>',
    "min": '<path d="M6 12.5h12"/>',
    "close": '<path d="M7 7l10 10M17 7 7 17"/>',
    "menu": '<path d="M5 7h14M5 12h14M5 17h14"/>',
    "chevron": '<path d="M6 9l6 6 6-6"/>',
    "check": '<path d="M7 12.5l3.2 3.2L17 9"/>',
    "download": '<path d="M12 6v9M8.5 11.5 12 15l3.5-3.5M7.5 18h9"/>',
    "up": '<path d="M12 18V7M7.5 11.5 12 7l4.5 4.5"/>',
}


def glyph(name, x, y, size, color, width=1.8):
    s = size / 24.0
    return (f'<g transform="translate({x} {y}) scale({s:.4f})" fill="none" stroke="{color}" '
            f'stroke-width="{width}" stroke-linecap="round" stroke-linejoin="round">'
            f'{G[name]}</g>')


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">{body}</svg>\n')


def write(name, text):
    path = os.path.join(OUT, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def tile(size, name, fg=ACCENT, bg="#E8F3FE", ring="#CFE6FD"):
    pad = size * 0.22
    body = (f'<rect x="1" y="1" width="{size - 2}" height="{size - 2}" rx="{size * 0.22}" '
            f'fill="{bg}" stroke="{ring}" stroke-width="1.5"/>' +
            glyph(name, pad, pad, size - 2 * pad, fg, 1.6))
    return svg(size, size, body)


# Connection pictures of the report (96 px) and of the settings page (128 px).
for name, g in [("auto", "auto"), ("usb", "usb"), ("com", "com"), ("bt", "bt"), ("wifi", "wifi"),
                ("lan", "lan"), ("usblan", "usblan"), ("remote", "remote")]:
    write(f"conn_{name}.svg", tile(96, g))
write("conn_unknow.svg", tile(96, "unknow", "#94A3B8", "#F1F5F9", "#E2E8F0"))
write("conn_used.svg", tile(96, "used", "#D97706", "#FEF3C7", "#FDE68A"))
for name, g in [("auto", "auto"), ("usb", "usb"), ("com", "com"), ("bt", "bt"), ("wifi", "wifi"),
                ("lan", "lan"), ("wlan", "wlan"), ("usblan", "usblan")]:
    write(f"config_{name}.svg", tile(128, g))

# Navigation (white on the dark bar), tabs (grey, and white when selected), system buttons.
for name, g in [("device", "device"), ("apps", "apps"), ("sps", "sps"), ("sale", "sale"),
                ("remote", "remotediag")]:
    write(f"nav_{name}.svg", svg(24, 24, glyph(g, 0, 0, 24, "#E2E8F0", 1.7)))
for name in ["info", "config", "help"]:
    write(f"tab_{name}.svg", svg(20, 20, glyph(name, 0, 0, 20, "#64748B", 1.7)))
    write(f"tab_{name}_sel.svg", svg(20, 20, glyph(name, 0, 0, 20, "#FFFFFF", 1.7)))
for name in ["min", "close", "menu", "update"]:
    write(f"sys_{name}.svg", svg(16, 16, glyph(name, 0, 0, 16, "#CBD5E1", 1.6)))
write("combo_arrow.svg", svg(12, 12, glyph("chevron", 0, 0, 12, "#64748B", 1.6)))

# Report header rows: a quiet band with an accent mark.
write("devinfolist.svg", svg(760, 32,
      '<rect width="760" height="32" fill="#F1F5F9"/><rect x="0" y="8" width="3" height="16" rx="1.5" '
      f'fill="{ACCENT}"/><rect y="31" width="760" height="1" fill="#E2E8F0"/>'))
# Pushed navigation entry of the applications page.
write("btn_push.svg", svg(180, 64,
      f'<rect width="180" height="64" fill="#E8F3FE"/><rect width="3" height="64" fill="{ACCENT}"/>'))


def badge(color, g):
    return svg(16, 16, f'<circle cx="8" cy="8" r="7.5" fill="{color}"/>' + glyph(g, 1, 1, 14, "#FFFFFF", 1.8))


write("app_installed.svg", badge("#16A34A", "check"))
write("app_uninstalled.svg", badge("#94A3B8", "download"))
write("app_update.svg", badge("#EA580C", "up"))
write("logos/myapp.svg", svg(32, 32, f'<rect width="32" height="32" rx="8" fill="{ACCENT}"/>' +
                            glyph("apps", 6, 6, 20, "#FFFFFF", 1.7)))

# The program's mark: an orb with an orbit, for the icon, the title bar and the splash.
ORB = ('<defs><linearGradient id="g" x1="0" y1="0" x2="1" y2="1"><stop offset="0" stop-color="#38BDF8"/>'
       f'<stop offset="1" stop-color="{ACCENT}"/></linearGradient></defs>'
       '<circle cx="32" cy="32" r="22" fill="url(#g)"/>'
       '<ellipse cx="32" cy="32" rx="29" ry="10" fill="none" stroke="#FFFFFF" stroke-width="3.2" '
       'stroke-opacity=".9" transform="rotate(-28 32 32)"/>'
       '<circle cx="24" cy="24" r="5" fill="#FFFFFF" fill-opacity=".45"/>')
write("app_icon.svg", f'<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">{ORB}</svg>\n')
write("logo.svg", f'<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 64 64">{ORB}</svg>\n')
write("logo_large.svg", f'<svg xmlns="http://www.w3.org/2000/svg" width="88" height="88" viewBox="0 0 64 64">{ORB}</svg>\n')


def vci(accent, label, doip):
    """A front view of the adapter: OBD plug on the left, body with status LEDs."""
    body = (
        '<rect x="2" y="30" width="156" height="72" rx="0" fill="none"/>'
        '<path d="M10 46h26l6 8v20l-6 8H10z" fill="#475569"/>'
        '<path d="M15 54h16M15 61h16M15 68h16M15 75h16" stroke="#94A3B8" stroke-width="2" stroke-linecap="round"/>'
        '<rect x="40" y="34" width="112" height="64" rx="14" fill="#1E293B"/>'
        f'<rect x="40" y="34" width="112" height="10" rx="5" fill="{accent}" opacity=".95"/>'
        '<rect x="52" y="54" width="64" height="6" rx="3" fill="#334155"/>'
        '<rect x="52" y="66" width="44" height="6" rx="3" fill="#334155"/>'
        '<circle cx="134" cy="58" r="4" fill="#22C55E"/><circle cx="134" cy="72" r="4" fill="#F59E0B"/>'
        f'<text x="52" y="89" font-family="Noto Sans CJK SC, DejaVu Sans" font-size="10" '
        f'font-weight="700" fill="#CBD5E1">{label}</text>')
    if doip:
        body += ('<rect x="112" y="82" width="30" height="10" rx="2" fill="#0F172A" stroke="#64748B"/>'
                 '<path d="M116 85v4M120 85v4M124 85v4" stroke="#64748B"/>')
    return svg(160, 120, body)


write("dev_vci.svg", vci(ACCENT, "VCI", False))
write("dev_vci_doip.svg", vci("#7C3AED", "VCI PRO", True))
write("dev_vci_lite.svg", vci("#0D9488", "VCI LITE", False))
write("dev_unknown.svg", svg(160, 120,
      '<rect x="40" y="34" width="112" height="64" rx="14" fill="#F1F5F9" stroke="#CBD5E1" stroke-width="2" stroke-dasharray="6 5"/>'
      '<path d="M10 46h26l6 8v20l-6 8H10z" fill="#E2E8F0"/>' + glyph("unknow", 80, 50, 32, "#94A3B8", 1.6)))

# The selected navigation button: an accent line under the entry.
write("nav_sel.svg", svg(92, 70, f'<rect x="22" y="66" width="48" height="4" rx="2" fill="{ACCENT}"/>'))
write("sys_close_dark.svg", svg(16, 16, glyph("close", 0, 0, 16, "#475569", 1.6)))

# Demo catalogue logos: class entries of the applications page (32 px) and the tiles'
# application logos (96 px), each a glyph on a coloured rounded square.
G.update({
    "pulse": '<path d="M3 12h4l2-5 3 10 2.5-7 1.5 2H21"/>',
    "wrench": '<path d="M14.5 4.5a4.5 4.5 0 0 0-4.2 6.1L4 17l3 3 6.4-6.3a4.5 4.5 0 0 0 6.1-4.2l-2.8 2.8-2.8-.7-.7-2.8z"/>',
    "engine": '<path d="M4 10h2V8h3V6h6v2h2l2 2h1v6h-1l-2 2H9l-2-2H6v2H4z"/><path d="M11 10v3h2l-1 3"/>',
    "car": '<path d="M4 15.5V12l2-4.5h12l2 4.5v3.5z"/><path d="M4 12h16"/><circle cx="7.5" cy="17" r="1.8"/>'
           '<circle cx="16.5" cy="17" r="1.8"/>',
    "key": '<circle cx="8" cy="14" r="4"/><path d="M11 11.2 19 4M15.5 7.3l2 2M17.5 5.5l2 2"/>',
    "truck": '<path d="M3 6h11v10H3zM14 9.5h4l3 3.5V16h-7"/><circle cx="7" cy="17.5" r="1.8"/>'
             '<circle cx="17" cy="17.5" r="1.8"/>',
})


def logo(size, g, color):
    pad = size * 0.2
    return svg(size, size, f'<rect width="{size}" height="{size}" rx="{size * 0.24:.1f}" fill="{color}"/>' +
               glyph(g, pad, pad, size - 2 * pad, "#FFFFFF", 1.7))


write("logos/class_diag.svg", logo(32, "pulse", "#0EA5E9"))
write("logos/class_tools.svg", logo(32, "wrench", "#F59E0B"))
write("logos/app101.svg", logo(96, "engine", "#DC2626"))
write("logos/app102.svg", logo(96, "car", "#2563EB"))
write("logos/app201.svg", logo(96, "key", "#7C3AED"))
write("logos/app301.svg", logo(96, "truck", "#059669"))
