#!/usr/bin/python3
"""Query latency: libvexasrv.so against SQLite FTS5 and Recoll, in one run.

    /usr/bin/python3 bench/query_bench.py QUERY_BENCH INDEX [CORPUS] [WORKDIR] [REPS]

QUERY_BENCH: the built program (build/bin/query_bench). INDEX: our index of CORPUS, e.g.
made by `xvexai -run -full` over a profile holding CORPUS (bench/index_bench.py does
that). CORPUS: default /work/corpus (the shared make_corpus.sh builds it; never inside
the repo). WORKDIR: default /tmp/vexa-query-bench; the peers' indexes are built there
once and reused (delete it to rebuild). REPS: runs per query and engine (default 10).

Every engine is measured in-process on the 30 queries of the shared queries.txt, with
excerpts, all runs pooled per class (median / 90th percentile in ms):
- ours: vexasrv_srx_search through the C API (20 results, excerpts, marked words, the
  HTML fragment; the index reopened by every search, as the library always does);
- FTS5 over the texts the shared extract_text.py extracts from CORPUS: the shared
  fts5_bench.py statement, bm25 order, snippet(), LIMIT 20, all rows fetched;
- Recoll through python3-recoll: execute + 20 docs + makedocabstract for each, as the
  shared recoll_bench.py measures it (its index built by recoll_bench.py build).
The query semantics differ: ours ranks every document holding any query word (or its
synonyms), the peers require all words. The helper scripts are the shared ones in
../shared/bench beside the repository.
"""
import os
import re
import statistics
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PEERS = os.path.normpath(os.path.join(REPO, "..", "shared", "bench"))
sys.path.insert(0, PEERS)
from fts5_bench import SQL, fts_query, pct, read_queries  # noqa: E402

PY = "/usr/bin/python3"
os.environ["PATH"] = "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"


def stats(xs):
    return statistics.median(xs), pct(xs, 90)


def ours(program, index, queries, reps):
    out = subprocess.run([program, index, queries, str(reps)], check=True,
                         capture_output=True, text=True).stdout
    table = {}
    for line in out.splitlines():
        m = re.match(r"table search (\S+) \d+ (\S+) (\S+) \S+$", line)
        if m:
            table[m.group(1)] = (float(m.group(2)), float(m.group(3)))
    return table


def fts5(corpus, work, queries, reps):
    extracted, fts = os.path.join(work, "extracted.db"), os.path.join(work, "fts.db")
    if not os.path.exists(fts):
        subprocess.run([PY, os.path.join(PEERS, "extract_text.py"), corpus, extracted, "2"], check=True)
        subprocess.run([PY, os.path.join(PEERS, "fts5_bench.py"), "build", extracted, fts, "1"], check=True)
    import sqlite3
    db = sqlite3.connect(fts)
    by_class = {}
    for cls, q in read_queries(queries):
        fq = fts_query(q)
        for _ in range(reps):
            t0 = time.perf_counter()
            db.execute(SQL, (fq,)).fetchall()
            by_class.setdefault(cls, []).append((time.perf_counter() - t0) * 1000)
    return {cls: stats(xs) for cls, xs in by_class.items()}


def recoll(corpus, work, queries, reps):
    conf = os.path.join(work, "recoll")
    if not os.path.exists(os.path.join(conf, "xapiandb")):
        subprocess.run([PY, os.path.join(PEERS, "recoll_bench.py"), "build", corpus, conf, "1"], check=True)
    # As recoll_bench.py: a sibling config on the same index with the automatic spelling
    # expansion off, so the module searches what recollq would.
    conf2 = conf + "-inproc"
    os.makedirs(conf2, exist_ok=True)
    with open(os.path.join(conf2, "recoll.conf"), "w") as f:
        f.write(open(os.path.join(conf, "recoll.conf")).read())
        f.write(f"dbdir = {os.path.join(conf, 'xapiandb')}\nautoSpellRarityThreshold = 2000000000\n")
    from recoll import recoll as rcl
    db = rcl.connect(confdir=conf2)
    by_class = {}
    for cls, q in read_queries(queries):
        for _ in range(reps):
            t0 = time.perf_counter()
            query = db.query()
            query.execute(q, stemming=1)
            for d in query.fetchmany(20):
                query.makedocabstract(d)
            by_class.setdefault(cls, []).append((time.perf_counter() - t0) * 1000)
    return {cls: stats(xs) for cls, xs in by_class.items()}


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    program, index = sys.argv[1], sys.argv[2]
    corpus = sys.argv[3] if len(sys.argv) > 3 else "/work/corpus"
    work = sys.argv[4] if len(sys.argv) > 4 else "/tmp/vexa-query-bench"
    reps = int(sys.argv[5]) if len(sys.argv) > 5 else 10
    queries = os.path.join(PEERS, "queries.txt")
    os.makedirs(work, exist_ok=True)
    # Peers first: building their indexes loads the machine; our run comes after.
    results = {"FTS5 + snippet": fts5(corpus, work, queries, reps),
               "Recoll + abstracts": recoll(corpus, work, queries, reps)}
    results = {"VexaDoc (C API)": ours(program, index, queries, reps), **results}
    print(f"\nmedian / p90 in ms, {reps} runs per query pooled per class "
          f"({os.cpu_count()} cores, load {os.getloadavg()[0]:.1f})")
    engines = list(results)
    print(f"{'class':10}" + "".join(f"{e:>22}" for e in engines))
    for cls in sorted(results[engines[0]]):
        row = "".join(f"{'%.1f / %.1f' % results[e][cls]:>22}" if cls in results[e] else f"{'-':>22}"
                      for e in engines)
        print(f"{cls:10}{row}")


if __name__ == "__main__":
    main()
