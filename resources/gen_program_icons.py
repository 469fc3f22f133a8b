"""Draws the programs' own icons: the frame icon and the three group icons of the task panel.

Run from this folder: python3 gen_program_icons.py (writes icons/*.ico)."""
import os

from icotool import layers, write_ico

HERE = os.path.dirname(os.path.abspath(__file__))


def rect(x0, y0, x1, y1):
    return lambda u, v: x0 <= u < x1 and y0 <= v < y1


def disc(cx, cy, r):
    return lambda u, v: (u - cx) ** 2 + (v - cy) ** 2 <= r * r


def frame_icon(x, y, s):
    # An application window: blue title bar, white client, a grey status strip.
    return layers(x, y, s, [
        (rect(0.06, 0.12, 0.94, 0.88), (40, 60, 120)),
        (rect(0.10, 0.16, 0.90, 0.30), (60, 110, 220)),
        (rect(0.10, 0.33, 0.90, 0.76), (250, 250, 250)),
        (rect(0.10, 0.78, 0.90, 0.84), (190, 190, 190)),
        (rect(0.16, 0.40, 0.60, 0.45), (120, 150, 210)),
        (rect(0.16, 0.52, 0.80, 0.57), (120, 150, 210)),
    ])


def comprobantes_icon(x, y, s):
    # A voucher: a sheet with a folded corner and lines, a green stamp.
    fold = lambda u, v: u > 0.62 and v < 0.26 and (u - 0.62) > (v - 0.08) * 1.0
    return layers(x, y, s, [
        (rect(0.18, 0.08, 0.82, 0.92), (90, 90, 110)),
        (rect(0.21, 0.11, 0.79, 0.89), (255, 255, 245)),
        (fold, (200, 200, 215)),
        (rect(0.28, 0.32, 0.72, 0.37), (70, 100, 180)),
        (rect(0.28, 0.45, 0.72, 0.50), (70, 100, 180)),
        (rect(0.28, 0.58, 0.56, 0.63), (70, 100, 180)),
        (disc(0.66, 0.74, 0.11), (40, 150, 70)),
    ])


def informes_icon(x, y, s):
    # A report: a white page with a bar chart.
    return layers(x, y, s, [
        (rect(0.12, 0.10, 0.88, 0.90), (80, 80, 100)),
        (rect(0.15, 0.13, 0.85, 0.87), (255, 255, 255)),
        (rect(0.24, 0.55, 0.36, 0.80), (220, 80, 60)),
        (rect(0.42, 0.35, 0.54, 0.80), (240, 170, 40)),
        (rect(0.60, 0.22, 0.72, 0.80), (50, 140, 210)),
        (rect(0.20, 0.80, 0.80, 0.83), (60, 60, 60)),
    ])


def salir_icon(x, y, s):
    # Exit: a red disc with a white cross.
    def cross(u, v):
        a, b = u - 0.5, v - 0.5
        return abs(a - b) < 0.09 and abs(a) < 0.24 or abs(a + b) < 0.09 and abs(a) < 0.24
    return layers(x, y, s, [
        (disc(0.5, 0.5, 0.44), (150, 20, 20)),
        (disc(0.5, 0.5, 0.40), (215, 45, 40)),
        (cross, (255, 255, 255)),
    ])


def main():
    out = os.path.join(HERE, "icons")
    os.makedirs(out, exist_ok=True)
    write_ico(os.path.join(out, "WAFRAME.ico"), [16, 32, 48], frame_icon)
    write_ico(os.path.join(out, "MENU_Comprobantes.ico"), [16, 24, 32, 48, 64, 72, 96, 128], comprobantes_icon)
    write_ico(os.path.join(out, "Menu_Informes.ico"), [32], informes_icon)
    write_ico(os.path.join(out, "MENU_Salir.ico"), [32], salir_icon)


if __name__ == "__main__":
    main()
