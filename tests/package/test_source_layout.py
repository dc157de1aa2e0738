"""The rooms of the source: the engine (src/tessel/engine) includes nothing of the interpreter
nor of the modules, so that it builds and can be tested without them (the build compiles it
with no include directory as well), and no two headers open with the same sentence, so that
each says first what it alone holds."""

import re

from conftest import REPO

SOURCE = REPO / "src" / "tessel"
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def test_the_engine_includes_only_the_standard_library_and_itself():
    engine = SOURCE / "engine"
    files = sorted(engine.glob("*.[ch]pp"))
    assert len(files) >= 10
    own = {p.name for p in files}
    wrong = [f"{p.name}: {name}" for p in files for kind, name in INCLUDE.findall(p.read_text())
             if (name not in own if kind == '"' else re.match(r"Python|py|tessel/", name))]
    assert wrong == []


def opening_sentence(header):
    """The first sentence of a header's opening comment, its lines joined."""
    lines = []
    for line in header.read_text().splitlines():
        if not line.startswith(("//", "/*", " *")):
            break
        lines.append(line.strip("/* "))
    return re.split(r"(?<=\.)\s", " ".join(lines).strip(), maxsplit=1)[0]


def test_no_two_headers_open_with_the_same_sentence():
    headers = sorted(SOURCE.rglob("*.hpp")) + sorted(SOURCE.rglob("*.h"))
    by_sentence = {}
    for header in headers:
        sentence = opening_sentence(header)
        assert sentence, f"{header.relative_to(SOURCE)} opens with no comment"
        by_sentence.setdefault(sentence, []).append(str(header.relative_to(SOURCE)))
    assert [names for names in by_sentence.values() if len(names) > 1] == []
