"""The Python module against a real index: python3 vexasrv_python_test.py MODULE_DIR INDEX
(an index in which GAMMA is in 45 documents). Exits non-zero on the first failed check."""
import sys
import xml.etree.ElementTree as ET

sys.path.insert(0, sys.argv[1])
import vexasrv  # noqa: E402

with vexasrv.srx() as s:
    s.set_index_file(sys.argv[2])
    html = s.search("gamma", 3, 5, "/find.py")
    assert "<b>GAMMA</b>" in html, html
    assert "<tr><td>41.</td>" in html and "np=3&isel=5" in html, html
    root = ET.fromstring(s.search_x("gamma", 1))
    assert root.tag == "Search_Result" and root.findtext("Count") == "45"
    assert [w.text for w in root.find("KeyWords")] == ["GAMMA"]
    assert len(root.find("Items")) == 20
    assert s.indexes("no such tag") is None

    s.set_index_file(sys.argv[2] + "/not/a/folder.db")
    try:
        s.search("gamma")
        raise AssertionError("no error")
    except vexasrv.VexasrvError as e:
        assert e.source == "vexasrv.srx" and e.code == vexasrv.E_UNEXPECTED
        assert str(e).startswith("Failed to open database"), str(e)
print("ok")
