#!/usr/bin/env python3
"""Builds the seed corpora of the fuzz harnesses from what the repository already holds: the
index fixtures, the JSON and XML literals of the tests, the daemon answer tables, the release-title corpus and the few
seeds kept in fuzz/seeds/. Usage: make-seeds.py <repository root> <output folder>.

Every harness gets <output folder>/<harness>/ with one file per seed, named by its hash, so
running the script again only adds what is new."""

import hashlib
import json
import re
import sys
from pathlib import Path

RAW_LITERAL = re.compile(r'R"([^()\s\\]{0,16})\((.*?)\)\1"', re.S)
YEAR = re.compile(r"(?<![0-9])(19[0-9]{2}|20[0-9]{2})(?![0-9])")
EPISODE = re.compile(r"[Ss][0-9]{1,2}[Ee][0-9]{1,3}|[0-9]{1,2}x[0-9]{1,2}")
WORD = re.compile(r"[^\W_]+")


def raw_literals(files):
    for path in files:
        for match in RAW_LITERAL.finditer(path.read_text(encoding="utf-8")):
            yield match.group(2)


def is_json(text):
    try:
        json.loads(text)
        return True
    except ValueError:
        return False


class Corpus:
    def __init__(self, root):
        self.root = root
        self.counts = {}

    def add(self, harness, data):
        if isinstance(data, str):
            data = data.encode("utf-8")
        folder = self.root / harness
        folder.mkdir(parents=True, exist_ok=True)
        (folder / hashlib.sha1(data).hexdigest()).write_bytes(data)
        self.counts[harness] = self.counts.get(harness, 0) + 1


def daemon_answers(node):
    """What the daemon says in a fixture table: every "answer" object, every "body" text and
    every single "torrent" object."""
    if isinstance(node, list):
        for item in node:
            yield from daemon_answers(item)
    elif isinstance(node, dict):
        for key, value in node.items():
            if key == "answer" and isinstance(value, (dict, list)):
                yield json.dumps(value)
            elif key == "body" and isinstance(value, str):
                yield value
            elif key == "torrent" and isinstance(value, dict):
                # One torrent object, as a torrent-get answer carries it.
                yield json.dumps({"arguments": {"torrents": [value]}, "result": "success"})
            else:
                yield from daemon_answers(value)


def title_seed(title):
    """"title\\nname\\nyear": the name is the words before the episode code (at most three),
    the year the first one the title names."""
    head = EPISODE.split(title, maxsplit=1)[0]
    words = WORD.findall(head.replace("_", " "))
    name = " ".join(words[:3]) if words else "Show"
    year = YEAR.search(title)
    return f"{title}\n{name}\n{year.group(1) if year else '2019'}"


def main():
    repo = Path(sys.argv[1])
    out = Corpus(Path(sys.argv[2]))
    kept = repo / "fuzz" / "seeds"

    # Stored files: the first byte picks the file ('0' shows … '5' history).
    documents = [t for t in raw_literals((repo / "tests" / "model").glob("*.cpp")) if is_json(t)]
    documents += [p.read_text(encoding="utf-8") for p in (kept / "records").glob("*.json")]
    documents += [p.read_text(encoding="utf-8") for p in (repo / "tests" / "fixtures" / "records").glob("*.json")]
    for document in documents:
        for selector in "012345":
            out.add("fuzz_records", selector + document)

    # Release titles against a name and a year.
    corpus = (repo / "tests" / "data" / "corpus" / "titles-only.txt").read_text(encoding="utf-8")
    titles = [line for line in corpus.split("\n") if line]
    for title in titles:
        out.add("fuzz_titles", title_seed(title))
    for line in (kept / "titles.txt").read_text(encoding="utf-8").split("\n"):
        if line:
            out.add("fuzz_titles", line.replace("\\n", "\n"))

    # Folder names and episode codes.
    for title in titles[::7]:
        code = EPISODE.search(title)
        out.add("fuzz_names", f"{title}\n{code.group(0) if code else 'S01E01'}")
    for line in (kept / "names.txt").read_text(encoding="utf-8").split("\n"):
        if line:
            out.add("fuzz_names", line.replace("\\n", "\n"))

    # Nyaa feeds.
    fixtures = repo / "tests" / "fixtures"
    data = fixtures / "indexes"
    for feed in data.glob("*.xml"):
        out.add("fuzz_nyaa", feed.read_bytes())
    for feed in (kept / "nyaa").glob("*.xml"):
        out.add("fuzz_nyaa", feed.read_bytes())

    # JSON index answers.
    for answer in data.glob("*.json"):
        out.add("fuzz_index_answers", answer.read_bytes())
    for case in json.loads((data / "cases.json").read_text(encoding="utf-8")):
        for route in case["routes"]:
            if "body" in route:
                out.add("fuzz_index_answers", route["body"])

    # TMDB answers.
    for literal in raw_literals((repo / "tests" / "metadata").glob("*.cpp")):
        if is_json(literal):
            out.add("fuzz_tmdb", literal)
    for answer in (repo / "tests" / "fixtures" / "tmdb").glob("*.json"):
        out.add("fuzz_tmdb", answer.read_bytes())

    # Daemon answers and single torrent objects.
    for literal in raw_literals((repo / "tests" / "engine").glob("*.cpp")):
        if is_json(literal):
            out.add("fuzz_rpc", literal)
    for table in (fixtures / "daemon").glob("*.json"):
        for answer in daemon_answers(json.loads(table.read_text(encoding="utf-8"))):
            out.add("fuzz_rpc", answer)
    for answer in (kept / "rpc").glob("*.json"):
        out.add("fuzz_rpc", answer.read_bytes())

    # Command-line requests, and a hand-off that must not pass for one.
    for request in (kept / "commands").glob("*.json"):
        out.add("fuzz_commands", request.read_bytes())

    for harness, count in sorted(out.counts.items()):
        print(f"{harness}: {count} seeds")


if __name__ == "__main__":
    main()
