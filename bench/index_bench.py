#!/usr/bin/python3
"""Indexing benchmark: xvexai against Recoll on the same folder, in the same run.

    /usr/bin/python3 bench/index_bench.py XVEXAI [CORPUS] [WORKDIR] [RUNS]

XVEXAI: the built program (e.g. build/bin/xvexai). CORPUS: the folder to index
(default /work/corpus, built by the shared make_corpus.sh; never inside the repo).
WORKDIR: scratch space (default /tmp/bench-index), wiped first. RUNS: full builds per
engine (default 1); the table shows the median.

Ours: a private HOME under WORKDIR holds one profile with the corpus as its only folder
and no masks; `xvexai -run -full bench` builds the index, `xvexai -run bench` is the
no-change re-run. Recoll: a config holding only `topdirs = CORPUS` and
`aspellLanguage = en` (as the shared recoll_bench.py does); `recollindex -z` builds,
`recollindex` re-runs. Every run goes through `/usr/bin/time -v`: wall time, CPU (user +
sys), peak resident memory of the largest single process. The corpus is read once
beforehand so both engines start from the page cache.

Needs: recollcmd (apt-get install recollcmd) and the helpers Recoll uses (poppler-utils,
antiword, catdoc, unrtf).
"""
import os
import re
import shutil
import sqlite3
import statistics
import subprocess
import sys

os.environ["PATH"] = "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"

PROFILE = """\ufeff<?xml version="1.0" encoding="UTF-8"?>
<Configuration>
  <Index>
    <title>Benchmark corpus</title>
    <ifile>{ifile}</ifile>
    <items>
      <Item0><path>{path}</path><incl/><excl/><en>TRUE</en></Item0>
      <Count>1</Count>
    </items>
    <clear_files>1</clear_files>
  </Index>
</Configuration>
"""


def timed(argv, env=None):
    """Runs argv under /usr/bin/time -v; returns wall, cpu, rss_mb, status."""
    tfile = "/tmp/index-bench-time.txt"
    out = subprocess.run(["/usr/bin/time", "-v", "-o", tfile] + argv, env=env,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                         errors="replace")
    t = open(tfile).read()
    g = lambda pat: re.search(pat, t).group(1)
    wall = g(r"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (\S+)")
    secs = sum(float(x) * 60 ** i for i, x in enumerate(reversed(wall.split(":"))))
    return {"wall": secs,
            "cpu": float(g(r"User time \(seconds\): (\S+)")) + float(g(r"System time \(seconds\): (\S+)")),
            "rss_mb": int(g(r"Maximum resident set size \(kbytes\): (\d+)")) / 1024,
            "status": int(g(r"Exit status: (\d+)")), "output": out.stdout}


def du(path):
    if os.path.isfile(path):
        return os.path.getsize(path)
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(path) for f in fs)


def ours(xvexai, corpus, work, runs):
    home = os.path.join(work, "home")
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"), LC_ALL="C.UTF-8")
    ifile = os.path.join(work, "index.db")
    os.makedirs(os.path.join(home, "data", "VexaDoc", "Profiles"))
    with open(os.path.join(home, "data", "VexaDoc", "Profiles", "bench.indp"), "w") as f:
        f.write(PROFILE.format(ifile=ifile, path=corpus))
    builds = []
    for r in range(runs):
        m = timed([xvexai, "-run", "-full", "bench"], env)
        if m["status"] != 0:
            sys.exit("xvexai failed:\n" + m["output"])
        db = sqlite3.connect(ifile)
        m["docs"] = sum(db.execute(f"select count(*) from {t}").fetchone()[0] for t in ("FILES", "FILES_S"))
        db.close()
        m["size"] = du(ifile)
        builds.append(m)
        print(f"ours  build {r+1}: wall={m['wall']:.1f}s cpu={m['cpu']:.1f}s "
              f"peakRSS={m['rss_mb']:.0f}MB docs={m['docs']} index={m['size']/1e6:.1f}MB", flush=True)
    print("\n".join("  | " + line for line in builds[-1]["output"].splitlines()[-4:]))
    rerun = timed([xvexai, "-run", "bench"], env)
    print(f"ours  no-change re-run: wall={rerun['wall']:.2f}s peakRSS={rerun['rss_mb']:.0f}MB", flush=True)
    return builds, rerun


def recoll(corpus, work, runs):
    conf = os.path.join(work, "recoll")
    builds = []
    for r in range(runs):
        shutil.rmtree(conf, ignore_errors=True)
        os.makedirs(conf)
        with open(os.path.join(conf, "recoll.conf"), "w") as f:
            f.write(f"topdirs = {corpus}\naspellLanguage = en\n")
        m = timed(["recollindex", "-c", conf, "-z"])
        st = {}
        for line in open(os.path.join(conf, "idxstatus.txt")):
            k, _, v = line.partition("=")
            st[k.strip()] = v.strip()
        m["docs"] = int(st.get("dbtotdocs", 0))
        m["size"] = du(os.path.join(conf, "xapiandb"))
        builds.append(m)
        print(f"recoll build {r+1}: wall={m['wall']:.1f}s cpu={m['cpu']:.1f}s "
              f"peakRSS={m['rss_mb']:.0f}MB docs={m['docs']} index={m['size']/1e6:.1f}MB", flush=True)
    rerun = timed(["recollindex", "-c", conf])
    print(f"recoll no-change re-run: wall={rerun['wall']:.2f}s", flush=True)
    return builds, rerun


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    xvexai = os.path.abspath(sys.argv[1])
    corpus = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else "/work/corpus")
    work = sys.argv[3] if len(sys.argv) > 3 else "/tmp/bench-index"
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    files = sum(len(fs) for _, _, fs in os.walk(corpus))
    mb = du(corpus) / 1e6
    subprocess.run(f"find '{corpus}' -type f -print0 | xargs -0 cat > /dev/null", shell=True)
    print(f"corpus {corpus}: {files} files, {mb:.1f} MB; {os.cpu_count()} cores", flush=True)

    rows = []
    for name, (builds, rerun) in (("xvexai", ours(xvexai, corpus, work, runs)),
                                  ("recollindex", recoll(corpus, work, runs))):
        b = sorted(builds, key=lambda m: m["wall"])[len(builds) // 2]
        rows.append(f"| {name} | {b['wall']:.1f} s | {files / b['wall']:.0f} | {mb / b['wall']:.2f} | "
                    f"{b['cpu'] / b['wall']:.2f} | {b['rss_mb']:.0f} MB | {b['docs']} | "
                    f"{b['size'] / 1e6:.0f} MB | {rerun['wall']:.2f} s |")
    print("\n| engine | full build | files/s | MB/s | cores | peak memory | docs in index "
          "| index size | no-change re-run |")
    print("|---|---|---|---|---|---|---|---|---|")
    print("\n".join(rows))


if __name__ == "__main__":
    main()
