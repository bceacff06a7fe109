#!/usr/bin/env python3
"""Write the page's service worker into the page's folder: the template
with the list of the folder's files and a version, a hash of their names
and bytes, so that every build that changes a file has a new worker and a
cache of its own.

    python3 stamp_sw.py TEMPLATE PAGE_DIR
"""
import hashlib
import json
import os
import sys

template, page = sys.argv[1], sys.argv[2]
names = sorted(n for n in os.listdir(page)
               if n != 'sw.js' and not n.startswith('.') and os.path.isfile(os.path.join(page, n)))
digest = hashlib.sha256()
for name in names:
    digest.update(name.encode() + b'\0')
    with open(os.path.join(page, name), 'rb') as f:
        digest.update(f.read())
with open(template, encoding='utf-8') as f:
    text = f.read()
# './' is the page as its address names it, index.html unsaid.
text = (text.replace('@PAGE_VERSION@', digest.hexdigest()[:16])
            .replace('@PAGE_FILES@', json.dumps(['./'] + names)))
with open(os.path.join(page, 'sw.js'), 'w', encoding='utf-8') as f:
    f.write(text)
