"""How docs/PERFORMANCE.md shows a figure: shared by report.py and voice_report.py."""


def shown(value, unit):
    if value is None:
        return "not measured"
    if unit == "bool":
        return "yes" if value >= 1 else "no"
    if unit in ("count", "blocks"):
        return f"{value:.0f}"
    return f"{value:.1f} {unit}" if abs(value) < 100 else f"{value:.0f} {unit}"
