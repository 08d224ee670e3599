#!/usr/bin/python3
"""A plain Python rating of project files, the yardstick for `zemtor solve FILE... --json`.

Each job reads a project file (.zmx), takes the coil's geometry, entering air, liquid and flows
from it and rates the coil as a counterflow exchanger by the effectiveness-NTU method: the air
side from a Colburn j-factor of the fin pitch and row depth, the tube side from Gnielinski with
the friction factor of Debian's python3-fluids, repeated until the duty settles as the liquid's
mean temperature and the air's capacity rate follow it. It is not the program's model (no wet
surface, no catalogue), only work of the same kind and size per job, written as plainly as a
user's script would be. Prints one JSON line per file and, on standard error, the jobs per second.

    bench/baseline.py FILE...
"""
import json
import math
import sys
import time
import xml.etree.ElementTree as ET

from fluids.core import Prandtl, Reynolds
from fluids.friction import friction_factor

KINDS = ("zmk", "hwc", "cwc")


def number(node, path, default):
    found = node.find(path) if node is not None else None
    try:
        return float(found.text)
    except (AttributeError, TypeError, ValueError):
        return default


def air_props(t):
    """Dry air at t °C: density at 101.325 kPa (kg/m³), cp (kJ/(kg·K)), mu (Pa·s), k (W/(m·K))."""
    T = t + 273.15
    rho = 101325.0 / (287.055 * T)
    cp = 1.0057 + 1.2e-5 * t + 4.0e-7 * t * t
    mu = 1.458e-6 * T ** 1.5 / (T + 110.4)
    k = 2.646e-3 * T ** 1.5 / (T + 245.4 * 10 ** (-12.0 / T))
    return rho, cp, mu, k


def rate(path):
    root = ET.parse(path).getroot()
    coil = next((root.find(k) for k in KINDS if root.find(k) is not None), None)
    if coil is None:
        return {"file": path, "error": "no coil"}
    fat = coil.find("fat")
    H = number(fat, "fHeight", 0.5334)
    L = number(fat, "fLength", 1.2)
    rows = number(fat, "Rows", 4)
    fpi = number(fat, "fpi", 10)
    circ = number(fat, "Circ", 14)
    Sx, Sy = number(fat, "Sx", 0.033), number(fat, "Sy", 0.0381)
    ID, OD, tf = number(fat, "ID", 0.0125), number(fat, "OD", 0.0133), number(fat, "tf", 0.00015)
    tai = number(coil, "air/dbi", 25.0)
    ma = number(coil, "air/ma", 1.0)
    liquid = coil.find("liquidstate/liquid")
    tfi = number(liquid, "tfi", 80.0)
    m = number(liquid, "m", 1.0)
    cpl, rhol = number(liquid, "Cp", 4.19), number(liquid, "ro", 990.0)
    mul, kl = number(liquid, "mu", 0.0006), number(liquid, "Ko", 0.00062) * 1000

    # Geometry of a plate-fin coil.
    tubes_high = round(H / Sy)
    tubes = tubes_high * rows
    fin_pitch = 0.0254 / fpi
    fins = L / fin_pitch
    Dc = OD + 2 * tf
    Afin = 2 * fins * (Sx * Sy * tubes - tubes * math.pi * Dc * Dc / 4)
    Ao = math.pi * tubes * Dc * (L - fins * tf) + Afin
    Ai = math.pi * ID * L * tubes
    sigma = (fin_pitch - tf) * (Sy - Dc) / (fin_pitch * Sy)
    Af = H * L
    Dh = 4 * sigma * Sx * math.ceil(rows) / (Ao / Af)

    # Air side: a Colburn j-factor, then the fin efficiency of an equivalent circular fin.
    rho_a, cp_a, mu_a, k_a = air_props(tai)
    G = ma / (Af * sigma)
    Re_a = Reynolds(V=G / rho_a, D=Dc, rho=rho_a, mu=mu_a)
    j = 0.14 * Re_a ** -0.328 * (Sy / Sx) ** -0.502 * (fin_pitch / Dc) ** 0.031
    ho = j * G * cp_a * 1000 / Prandtl(Cp=cp_a * 1000, k=k_a, mu=mu_a) ** (2.0 / 3.0)
    r_fin = (math.sqrt(4 * Sx * Sy / math.pi) - Dc) / 2
    mL = math.sqrt(2 * ho / (200 * tf)) * r_fin
    eta_o = 1 - Afin / Ao * (1 - math.tanh(mL) / mL)

    # Tube side and the effectiveness-NTU passes.
    flow_area = circ * math.pi * ID * ID / 4
    heating_liquid = tfi < tai
    Ca = ma * cp_a
    q = previous = 0.0
    tfo = tfi
    for k in range(102):
        tm = (tfi + tfo) / 2
        mu_t = mul * math.exp(-0.02 * (tm - tfi))  # the liquid thins as it warms
        v = m / (rhol * flow_area)
        Re = Reynolds(V=v, D=ID, rho=rhol, mu=mu_t)
        Pr = Prandtl(Cp=cpl * 1000, k=kl, mu=mu_t)
        if Re > 2300:
            f = friction_factor(Re=Re, eD=1.5e-6 / ID)
            Nu = (f / 8) * (Re - 1000) * Pr / (1 + 12.7 * math.sqrt(f / 8) * (Pr ** (2.0 / 3.0) - 1))
        else:
            Nu = 3.66
        hi = Nu * kl / ID
        UA = 1 / (1 / (eta_o * ho * Ao) + 1 / (hi * Ai)) / 1000
        Cw = m * cpl
        Cmin, Cmax = min(Ca, Cw), max(Ca, Cw)
        Cr = Cmin / Cmax
        N = UA / Cmin
        if abs(Cr - 1) < 1e-9:
            e = N / (1 + N)
        else:
            E = math.exp(-N * (1 - Cr))
            e = (1 - E) / (1 - Cr * E)
        q = e * Cmin * abs(tai - tfi)
        tfo = tfi + (q / Cw if heating_liquid else -q / Cw)
        tao = tai - (q / Ca if heating_liquid else -q / Ca)
        Ca = ma * air_props((tai + tao) / 2)[1]
        if k > 0 and abs(q - previous) <= 1e-10 * (1 + abs(q)):
            break
        previous = q
    return {"file": path, "Qt": q, "e": e, "Ntu": N, "Cr": Cr, "ho": ho / 1000, "hi": hi / 1000, "tfo": tfo,
            "tao": tao, "passes": k + 1}


def main(files):
    start = time.perf_counter()
    out = sys.stdout
    for path in files:
        try:
            record = rate(path)
        except Exception as e:  # a bad file is reported, as zemtor does, and the batch goes on
            record = {"file": path, "error": str(e)}
        out.write(json.dumps(record) + "\n")
    out.flush()
    elapsed = time.perf_counter() - start
    print(f"baseline: {len(files)} jobs in {elapsed:.3f} s, {len(files) / elapsed:.0f} jobs/s", file=sys.stderr)


if __name__ == "__main__":
    main(sys.argv[1:])
