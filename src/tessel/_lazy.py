"""Lazy attributes for the package's __init__ modules (PEP 562).

A package names what it offers and where each name comes from; a name is imported on its
first use, not with the package. So `import tessel` or `import tessel.vector2` loads no
compiled module that the program does not use: the rect, collide and geometry modules
switch the interpreter lock on in free-threaded builds, the vector modules do not.
"""

import importlib
import sys


def attributes(package, exports, submodules=()):
    """The `__getattr__` and `__dir__` of the package named `package`: `exports` maps each
    public name to the module it comes from, `submodules` names the sub-packages that are
    attributes too (`tessel.geometry` after `import tessel`)."""

    def __getattr__(name):
        if name in exports:
            value = getattr(importlib.import_module(exports[name]), name)
        elif name in submodules:
            value = importlib.import_module(f"{package}.{name}")
        else:
            raise AttributeError(f"module {package!r} has no attribute {name!r}", name=name,
                                 obj=sys.modules[package])
        # Kept, so that later uses are plain attribute reads.
        setattr(sys.modules[package], name, value)
        return value

    def __dir__():
        return sorted(set(vars(sys.modules[package])) | set(exports) | set(submodules))

    return __getattr__, __dir__
