#!/usr/bin/python3
"""Reads the drawer's clipboard list the way a screen reader does, over AT-SPI.

Prints one JSON object: the names of the list's items in order, and, when an item index and an
action name are given, whether that action of that item was found and run.
Usage: atspi_clips.py [INDEX ACTION]
"""
import json
import sys
import time

import pyatspi


def find_app(name, timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def find_list(node, name, depth=0):
    if node is None or depth > 12:
        return None
    if node.getRole() == pyatspi.ROLE_LIST and node.name == name:
        return node
    for child in node:
        found = find_list(child, name, depth + 1)
        if found is not None:
            return found
    return None


def main():
    result = {"app": False, "list": False, "names": [], "roles": []}
    app = find_app("Hodgebin", 15)
    if app is None:
        print(json.dumps(result))
        return 1
    result["app"] = True
    clips = None
    deadline = time.time() + 10
    while clips is None and time.time() < deadline:
        clips = find_list(app, "Clipboard history")
        if clips is None:
            time.sleep(0.2)
    if clips is None:
        print(json.dumps(result))
        return 1
    result["list"] = True
    items = [clips.getChildAtIndex(i) for i in range(clips.childCount)]
    result["names"] = [item.name for item in items]
    result["roles"] = [item.getRoleName() for item in items]
    if len(sys.argv) == 3:
        index, wanted = int(sys.argv[1]), sys.argv[2]
        action = items[index].queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        result["actions"] = names
        result["done"] = wanted in names and bool(action.doAction(names.index(wanted)))
    print(json.dumps(result))
    return 0


if __name__ == "__main__":
    sys.exit(main())
