#!/usr/bin/env python3
"""Checks that every source folder includes only the layers before it, that
the lower layers use no form control numbers, prompter or application object,
and that the debugger layer reaches its backends (its sub-folders) only
through the registry: no file of debugger/ includes a backend, and no backend
includes another. Prints each breach; exits 1 when there is one."""
import os
import re
import sys

LAYERS = ['base', 'wire', 'config', 'image', 'debugger', 'flash', 'form', 'app', 'ui']
# Folders that must not reach the form's controls, the user or the run mode.
NO_FRONT_END = {'wire', 'image', 'debugger', 'flash'}
FRONT_END = re.compile(r'ControlIds\.h|Prompter\.h|thePrompter\(\)|theApp\(\)|IsInteractive')
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/', re.M)
ANY_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def backend_of(src, path):
    """The backend folder under debugger/ that `path` lies in, '' for debugger/ itself, None elsewhere."""
    parts = os.path.relpath(path, src).split(os.sep)
    if parts[0] != 'debugger':
        return None
    return parts[1] if len(parts) > 2 else ''


def backend_breaches(src, path, text):
    own = backend_of(src, path)
    if own is None:
        return []
    breaches = []
    for included in ANY_INCLUDE.findall(text):
        target = os.path.join(src, included) if '/' in included and included.split('/')[0] in LAYERS \
            else os.path.join(os.path.dirname(path), included)
        other = backend_of(src, os.path.normpath(target))
        if other and other != own:
            breaches.append(f'{path}: debugger/{own + "/" if own else ""} includes the backend debugger/{other}/')
    return breaches


def main(src):
    breaches = []
    for root, _, files in os.walk(src):
        layer = os.path.relpath(root, src).split(os.sep)[0]
        if layer not in LAYERS:
            continue
        for name in files:
            path = os.path.join(root, name)
            text = open(path, encoding='utf-8').read()
            for included in INCLUDE.findall(text):
                if included in LAYERS and LAYERS.index(included) > LAYERS.index(layer):
                    breaches.append(f'{path}: {layer} includes {included}/')
            breaches += backend_breaches(src, path, text)
            if layer in NO_FRONT_END and FRONT_END.search(text):
                breaches.append(f'{path}: {layer} uses {FRONT_END.search(text).group(0)}')
    for breach in breaches:
        print(breach)
    return 1 if breaches else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else 'src'))
