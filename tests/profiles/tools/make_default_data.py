#!/usr/bin/env python3
"""Regenerates resources/DefaultData/ (the factory data shipped with the program).

Run from the repository root:  python3 tests/profiles/tools/make_default_data.py
The program never writes these files; it copies them into new and reset profiles.
"""
import json
import os
import sys

OUT = os.path.join(os.path.dirname(__file__), "..", "..", "..", "resources", "DefaultData")


def write(name, doc):
    path = os.path.join(OUT, name)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(json.dumps(doc, indent=3, sort_keys=True, ensure_ascii=False))
        f.write("\n")


def light_info(mode, light=4, speed=2, fx=1, multi=1, rgb=(255, 0, 0)):
    return {"SelectItem": mode, "Light": light, "Speed": speed, "Fx": fx, "MultiColor": multi,
            "Red": rgb[0], "Green": rgb[1], "Blue": rgb[2]}


def led_record(rgb, mode=1):
    return {"LEDREGMode": mode, "LEDBrightness": 4, "LEDSpeed": 2, "LEDMultiColor": 0,
            "LEDDirection": 1, "red": rgb[0], "green": rgb[1], "blue": rgb[2]}


def key(t, c, p):
    v = t * 65536 + c * 256 + p
    return {"Assignment": v, "DefaultAssignment": v}


def profile(device):
    return {"profilename": "Default", "profileUUID": "", "Device": [device]}


# ---- mouse: 19 LEDs, 6 keys -------------------------------------------------
MOUSE_KEYS = [(0x10, 0x01, 0), (0x10, 0x02, 0), (0x10, 0x04, 0), (0x10, 0x10, 0), (0x10, 0x08, 0),
              (0x13, 0x03, 0)]
# DPI index i shows i * 100 + 200 on a mouse with 100-DPI steps.
MOUSE_STAGES = [(400, (255, 0, 0)), (800, (0, 255, 0)), (1600, (0, 0, 255)), (2400, (255, 255, 0)),
                (3200, (255, 0, 255)), (4800, (0, 255, 255))]


def mouse():
    stages = []
    for dpi, rgb in MOUSE_STAGES:
        index = (dpi - 200) // 100
        stages.append({"StageActive": 1, "StageXY": 0, "StageDPIX": index, "StageDPIY": index,
                       "StageColorR": rgb[0], "StageColorG": rgb[1], "StageColorB": rgb[2]})
    wheel = [(255, 0, 0), (255, 128, 0), (255, 255, 0), (0, 255, 0), (0, 255, 255), (0, 0, 255),
             (128, 0, 255), (255, 0, 255)]
    return profile({
        "LightInfo": light_info(1),
        "LightList": [led_record(wheel[i % len(wheel)]) for i in range(19)],
        "KeyList": [key(*k) for k in MOUSE_KEYS],
        "DPIStages": {"StageActive": 1, "StageDPIs": stages},
        # Slider positions: speed 4 -> 10, wheel 2 -> 3 lines, double-click 6 -> 500 ms (max 10).
        "SystemStages": {"DoubleClickTime": 6, "MouseSpeed": 4, "PointerPrecision": 1,
                         "ScorllPage": 0, "WheelScorlllinse": 2},
        "ReportStages": {"StageActive": 3},
        "CorrectInfo": [
            {"CorrectName": "Off", "CorrectPixThresh": 0, "CorrectMinSq": 0, "CorrectSelect": 0},
            {"CorrectName": "Straight lines", "CorrectPixThresh": 8, "CorrectMinSq": 4,
             "CorrectSelect": 1},
        ],
    })


# ---- keyboard: 126 keys / LEDs, six rows of 21 --------------------------------
KEYBOARD_KEYS = [
    (0x20, 0, 41), (0x20, 0, 58), (0x20, 0, 59), (0x20, 0, 60), (0x20, 0, 61), (0x20, 0, 62),
    (0x20, 0, 63), (0x20, 0, 64), (0x20, 0, 65), (0x20, 0, 66), (0x20, 0, 67), (0x20, 0, 68),
    (0x20, 0, 69), (0x20, 0, 70), (0x20, 0, 71), (0x20, 0, 72), (0xA0, 27, 0), (0xA0, 36, 0),
    (0x20, 0, 0), (0x20, 0, 0), (0x20, 0, 0), (0x20, 0, 53), (0x20, 0, 30), (0x20, 0, 31),
    (0x20, 0, 32), (0x20, 0, 33), (0x20, 0, 34), (0x20, 0, 35), (0x20, 0, 36), (0x20, 0, 37),
    (0x20, 0, 38), (0x20, 0, 39), (0x20, 0, 45), (0x20, 0, 46), (0x20, 0, 42), (0x20, 0, 73),
    (0x20, 0, 74), (0x20, 0, 75), (0x20, 0, 83), (0x20, 0, 84), (0x20, 0, 85), (0x20, 0, 86),
    (0x20, 0, 43), (0x20, 0, 20), (0x20, 0, 26), (0x20, 0, 8), (0x20, 0, 21), (0x20, 0, 23),
    (0x20, 0, 28), (0x20, 0, 24), (0x20, 0, 12), (0x20, 0, 18), (0x20, 0, 19), (0x20, 0, 47),
    (0x20, 0, 48), (0x20, 0, 49), (0x20, 0, 76), (0x20, 0, 77), (0x20, 0, 78), (0x20, 0, 95),
    (0x20, 0, 96), (0x20, 0, 97), (0x20, 0, 0), (0x20, 0, 57), (0x20, 0, 4), (0x20, 0, 22),
    (0x20, 0, 7), (0x20, 0, 9), (0x20, 0, 10), (0x20, 0, 11), (0x20, 0, 13), (0x20, 0, 14),
    (0x20, 0, 15), (0x20, 0, 51), (0x20, 0, 52), (0x20, 0, 40), (0x20, 0, 92), (0x20, 0, 93),
    (0x20, 0, 94), (0x20, 0, 138), (0x20, 0, 139), (0x20, 0, 144), (0x20, 0, 145), (0x20, 0, 136),
    (0x20, 2, 0), (0x20, 0, 29), (0x20, 0, 27), (0x20, 0, 6), (0x20, 0, 25), (0x20, 0, 5),
    (0x20, 0, 17), (0x20, 0, 16), (0x20, 0, 54), (0x20, 0, 55), (0x20, 0, 56), (0x20, 32, 0),
    (0x20, 0, 82), (0x20, 0, 89), (0x20, 0, 90), (0x20, 0, 91), (0x20, 0, 135), (0x20, 0, 137),
    (0x20, 0, 100), (0x20, 0, 133), (0x20, 0, 0), (0x20, 1, 0), (0x20, 8, 0), (0x20, 4, 0),
    (0x20, 0, 44), (0x20, 64, 0), (0xA0, 1, 0), (0x20, 0, 101), (0x20, 16, 0), (0x20, 0, 80),
    (0x20, 0, 81), (0x20, 0, 79), (0x20, 0, 98), (0x20, 0, 99), (0x20, 0, 88), (0x20, 0, 87),
    (0xD0, 162, 1), (0xD0, 162, 2), (0xD0, 162, 3), (0xD0, 162, 4), (0xD0, 162, 5),
    (0x20, 128, 0),
]
assert len(KEYBOARD_KEYS) == 126


def colour(rgb):
    return {"Red": rgb[0], "Green": rgb[1], "Blue": rgb[2], "Alpha": 255}


def keyboard_groups():
    rows = [(255, 0, 0), (255, 128, 0), (255, 255, 0), (0, 255, 0), (0, 128, 255), (160, 0, 255)]
    by_row = [colour(rows[i // 21]) for i in range(126)]
    # WASD and the arrows in red over a dim blue board: find them by their key codes.
    hot = {26, 4, 22, 7, 80, 81, 82, 79}
    gaming = [colour((255, 0, 0)) if KEYBOARD_KEYS[i][2] in hot and KEYBOARD_KEYS[i][0] == 0x20
              else colour((0, 0, 64)) for i in range(126)]
    gradient = [colour((255 - (i % 21) * 12, 0, (i % 21) * 12)) for i in range(126)]
    white = [colour((255, 255, 255)) for _ in range(126)]
    return [by_row, gaming, gradient, white]


def keyboard():
    return profile({
        "LightInfo": light_info(0),
        # No per-LED records: the built-in effect drives every key.
        "LightList": [None] * 126,
        "KeyList": [key(*k) for k in KEYBOARD_KEYS],
        # Repeat rate slider 31 (fastest), delay index 1 (500 ms), polling index 3.
        "SystemStages": {"Repeat": 31, "RepeatDelay": 1, "Key6Flag": 0, "PollingRate": 3,
                         "WFlag": 0, "WinFlag": 0},
        "CustomLightMode": {"CustomLightModeGroupIndex": 0, "LightColorInfo": keyboard_groups()},
    })


def mouse_pad():
    return profile({"LightInfo": light_info(0), "LightList": [None] * 15})


EQ_PRESETS = [
    [7, 11, 2, -3, -1, 4, 9, 12, 9, 5],
    [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    [10, 4, 0, -3, -4, -3, -2, -1, 0, 0],
    [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    [0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    [7, 14, -13, -6, -1, 8, 13, 7, 2, 6],
    [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    [2, 1, -2, -3, -5, -1, 7, 11, 15, 13],
    [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0],
    [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
]


def bands(values):
    return [{"value": v} for v in values]


def headset():
    return profile({
        "LightInfo": light_info(1),
        "LightList": [None] * 13,
        "SystemSetStages": {"MagicEnable": 0, "MagicType": 0, "EqType": 5, "CustomEqSeletIndex": 0,
                            "MicInSelect": 1, "MicInValue": 80, "MicMoniterSelect": 0,
                            "MicMoniterValue": 50},
        # Element 0 is not used; 1..12 are the presets.
        "EQHzValueInfo": [bands([0] * 10)] + [bands(p) for p in EQ_PRESETS],
        "CustomEQNameInfo": [{"Name": "Custom 1"}],
        "CustomEQHzValueInfo": [bands([4, 3, 1, 0, -1, 0, 2, 4, 5, 4])],
    })


def names(keys, hidden=()):
    return [{"LightName": k, "visible": 0 if i in hidden else 1} for i, k in enumerate(keys)]


KEYBOARD_MODES = [
    "light_mode_column_wave", "light_mode_spectrum", "light_mode_breathing", "light_mode_static",
    "light_mode_rainbow", "light_mode_centre_ripple", "light_mode_show", "light_mode_snake",
    "light_mode_custom", "light_mode_stars", "light_mode_row_wave", "light_mode_random_breathing",
    "light_mode_fill", "light_mode_rings", "light_mode_column_gradient", "light_mode_corner_ripple",
    "light_mode_phased_breathing", "light_mode_blink", "light_mode_sweep",
    "light_mode_reactive_ripple", "light_mode_reactive_spread", "light_mode_reactive_glow",
    "light_mode_breathing_four", "light_mode_blink_four", "light_mode_off",
]
MOUSE_MODES = [
    "light_mode_wave", "light_mode_spectrum", "light_mode_breathing", "light_mode_static",
    "light_mode_blink", "light_mode_ripple", "light_mode_breathing_four", "light_mode_blink_four",
    "light_mode_off",
]
# Pad and headset: 5 plays the user's light sequence, offered through the user effects.
PAD_MODES = [
    "light_mode_wave", "light_mode_spectrum", "light_mode_breathing", "light_mode_static",
    "light_mode_blink", "light_mode_sequence", "light_mode_ripple", "light_mode_pairs",
    "light_mode_off",
]


def default_light():
    return {
        "DefaultLightName": [names(KEYBOARD_MODES), names(MOUSE_MODES), names(PAD_MODES, {5}),
                             names(PAD_MODES, {5})],
        "AreaLightName": [
            [{"LightName": "light_area_all_keys"}],
            [{"LightName": "light_area_logo"}, {"LightName": "light_area_wheel"},
             {"LightName": "light_area_side"}],
            [{"LightName": "light_area_edge"}],
            [{"LightName": "light_area_earcups"}],
        ],
    }


LANGUAGES = [
    ("zh_CN", "lan_cn.xml", 2052, "简体中文"),
    ("en_US", "lan_en.xml", 1033, "English"),
    ("zh_TW", "lan_tw.xml", 1028, "繁體中文"),
    ("ja_JP", "lan_jp.xml", 1041, "日本語"),
    ("ko_KR", "lan_kr.xml", 1042, "한국어"),
    ("de_DE", "lan_de.xml", 1031, "Deutsch"),
    ("fr_FR", "lan_fr.xml", 1036, "Français"),
    ("es_ES", "lan_es.xml", 3082, "Español"),
    ("pt_BR", "lan_pt.xml", 1046, "Português"),
    ("ru_RU", "lan_ru.xml", 1049, "Русский"),
    ("it_IT", "lan_it.xml", 1040, "Italiano"),
    ("pl_PL", "lan_pl.xml", 1045, "Polski"),
    ("tr_TR", "lan_tr.xml", 1055, "Türkçe"),
    ("vi_VN", "lan_vi.xml", 1066, "Tiếng Việt"),
    ("id_ID", "lan_id.xml", 1057, "Bahasa Indonesia"),
    ("th_TH", "lan_th.xml", 1054, "ไทย"),
]


def language_config():
    return {"Language": [{"Language_name": n, "Language_file": f, "Language_ID": i,
                          "Language_text": t} for n, f, i, t in LANGUAGES]}


# Recoil patterns: per gun the shot interval and a pull that grows over the
# first shots and then levels out, with a small side-to-side drift.
GUNS = [(100, 2, 9), (90, 3, 11), (120, 1, 7), (80, 2, 13)]


def shoot(gun):
    interval, drift, pull = GUNS[gun]
    events = []
    for b in range(30):
        x = drift if b % 4 in (1, 2) else max(0, drift - 1)
        left = (b // 4 + gun) % 2 == 0
        y = min(pull, 2 + b // 2) if b < 20 else max(2, pull // 2)
        events += [
            {"Action": "down", "Button": 1, "Delay": 10, "Type": 1},
            {"Action": "up", "Button": 1, "Delay": 0, "Type": 1},
            {"Action": "down" if left else "up", "Button": x, "Delay": 5, "Type": 4},
            # "up" pulls the mouse down, against the muzzle's climb.
            {"Action": "up", "Button": y, "Delay": interval, "Type": 5},
        ]
    return {"Events": events}


def main():
    os.makedirs(OUT, exist_ok=True)
    write("mouse.Json", mouse())
    write("keyboard.Json", keyboard())
    write("MousePad.Json", mouse_pad())
    write("HD.Json", headset())
    write("default_light.json", default_light())
    write("Language.config", language_config())
    for g in range(4):
        write("ShootData_%d.Shoot" % g, shoot(g))
    return 0


if __name__ == "__main__":
    sys.exit(main())
