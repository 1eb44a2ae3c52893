#!/usr/bin/env python3
"""Checks the administrative templates as Group Policy's editor reads them: well-formed XML in
the PolicyDefinitions namespace, the elements its schema requires, every policy in the one
category with a key, and every string and presentation the ADMX names defined in each ADML,
with the presentation's boxes bound to the policy's elements.

Usage: check_templates.py POLICIES_DIR (holding Quenora.admx and <language>/Quenora.adml)."""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

NS = "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"
LANGUAGES = ["de-DE", "en-US"]
errors = []


def q(tag):
    return f"{{{NS}}}{tag}"


def check(condition, message):
    if not condition:
        errors.append(message)


def parse(path, root_tag):
    try:
        root = ET.parse(path).getroot()
    except (ET.ParseError, OSError) as error:
        errors.append(f"{path}: {error}")
        return None
    check(root.tag == q(root_tag), f"{path}: root is {root.tag}, not {root_tag} in {NS}")
    for attribute in ("revision", "schemaVersion"):
        check(re.fullmatch(r"\d+\.\d+", root.get(attribute, "")),
              f"{path}: {attribute} missing or not major.minor")
    return root


folder = Path(sys.argv[1])
admx = parse(folder / "Quenora.admx", "policyDefinitions")
if admx is not None:
    namespaces = admx.find(q("policyNamespaces"))
    check(namespaces is not None and namespaces.find(q("target")) is not None,
          "ADMX: no policyNamespaces/target")
    check(admx.find(q("resources")) is not None, "ADMX: no resources element")
    categories = [c.get("name") for c in admx.iter(q("category"))]
    check(categories == ["Quenora"], f"ADMX: categories {categories}, want the one 'Quenora'")
    strings = set(re.findall(r"\$\(string\.([^)]+)\)", (folder / "Quenora.admx").read_text("utf-8")))
    presentations = {}
    policies = list(admx.iter(q("policy")))
    check(policies, "ADMX: no policies")
    for policy in policies:
        name = policy.get("name")
        for attribute in ("class", "displayName", "explainText", "key"):
            check(policy.get(attribute), f"ADMX policy {name}: no {attribute}")
        parent = policy.find(q("parentCategory"))
        check(parent is not None and parent.get("ref") == "Quenora",
              f"ADMX policy {name}: not in the category Quenora")
        check(policy.find(q("supportedOn")) is not None, f"ADMX policy {name}: no supportedOn")
        elements = policy.find(q("elements"))
        ids = {e.get("id") for e in elements} if elements is not None else set()
        presentation = re.fullmatch(r"\$\(presentation\.([^)]+)\)", policy.get("presentation", ""))
        check(bool(ids) == bool(presentation),
              f"ADMX policy {name}: elements and presentation must come together")
        if presentation:
            presentations[presentation.group(1)] = ids
        check(bool(ids) != bool(policy.get("valueName")),
              f"ADMX policy {name}: a value name either on the policy or on its elements")

    for language in LANGUAGES:
        path = folder / language / "Quenora.adml"
        adml = parse(path, "policyDefinitionResources")
        if adml is None:
            continue
        defined = {s.get("id") for s in adml.iter(q("string"))}
        for missing in sorted(strings - defined):
            errors.append(f"{path}: no string '{missing}'")
        for unused in sorted(defined - strings):
            errors.append(f"{path}: string '{unused}' that the ADMX doesn't use")
        shown = {p.get("id"): p for p in adml.iter(q("presentation"))}
        for pid, ids in presentations.items():
            if pid not in shown:
                errors.append(f"{path}: no presentation '{pid}'")
                continue
            bound = {box.get("refId") for box in shown[pid]}
            check(bound == ids, f"{path}: presentation '{pid}' binds {bound}, not {ids}")

for error in errors:
    print("templates:", error, file=sys.stderr)
sys.exit(1 if errors else 0)
