"""Search VexaDoc index files from Python through libvexasrv.so (ctypes, no compiled part).

    import vexasrv
    s = vexasrv.srx()                         # finds libvexasrv.so (see srx.__init__)
    s.set_index_file("/home/ann/.local/share/VexaDoc/docs.db")
    html = s.search("memory allocation", 1, 0, "https://intranet/find")
    xml = s.search_x("memory allocation", 2)  # bytes, ready for xml.etree.ElementTree
    for path, title, missing, tag in s.indexes("") or []:
        print(path, title, missing, tag)

A failing call raises VexasrvError with the library's description of the error.
"""
import ctypes
import os

__all__ = ["srx", "VexasrvError", "E_UNEXPECTED"]

E_UNEXPECTED = 0x8000FFFF
_LIBRARY_NAME = "libvexasrv.so"


class VexasrvError(Exception):
    """A call of the library failed; args[0] is its description, .source "vexasrv.srx"."""

    def __init__(self, description, source="vexasrv.srx", code=E_UNEXPECTED):
        super().__init__(description)
        self.source = source
        self.code = code


_Row = ctypes.c_char_p * 4


def _candidates():
    here = os.path.dirname(os.path.abspath(__file__))
    # Beside the module (build tree), then lib/ when installed in lib/python3/dist-packages,
    # then the dynamic linker's own search.
    return [os.path.join(here, _LIBRARY_NAME),
            os.path.normpath(os.path.join(here, "..", "..", _LIBRARY_NAME)),
            _LIBRARY_NAME]


def _load(path):
    if path is None:
        for candidate in _candidates():
            if candidate == _LIBRARY_NAME or os.path.exists(candidate):
                path = candidate
                break
    lib = ctypes.CDLL(path)
    lib.vexasrv_srx_create.restype = ctypes.c_void_p
    lib.vexasrv_srx_create.argtypes = []
    lib.vexasrv_srx_destroy.restype = None
    lib.vexasrv_srx_destroy.argtypes = [ctypes.c_void_p]
    # Out strings stay raw pointers so that they can be handed back to vexasrv_free.
    lib.vexasrv_srx_search.restype = ctypes.c_uint32
    lib.vexasrv_srx_search.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int32,
                                       ctypes.c_int32, ctypes.c_char_p,
                                       ctypes.POINTER(ctypes.c_void_p)]
    lib.vexasrv_srx_search_x.restype = ctypes.c_uint32
    lib.vexasrv_srx_search_x.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int32,
                                         ctypes.POINTER(ctypes.c_void_p)]
    lib.vexasrv_srx_indexes.restype = ctypes.c_uint32
    lib.vexasrv_srx_indexes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_void_p),
                                        ctypes.POINTER(ctypes.c_size_t), ctypes.c_char_p]
    lib.vexasrv_srx_set_index_file.restype = ctypes.c_uint32
    lib.vexasrv_srx_set_index_file.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    lib.vexasrv_last_error.restype = ctypes.c_char_p
    lib.vexasrv_last_error.argtypes = []
    lib.vexasrv_last_error_source.restype = ctypes.c_char_p
    lib.vexasrv_last_error_source.argtypes = []
    lib.vexasrv_free.restype = None
    lib.vexasrv_free.argtypes = [ctypes.c_void_p]
    return lib


def _utf8(text):
    return text.encode("utf-8") if isinstance(text, str) else bytes(text)


class srx:
    """One automation object with its own index; use it from one thread at a time."""

    def __init__(self, library=None):
        """`library`: the path of libvexasrv.so; by default the copy beside this module,
        then the one in lib/ above an installed module, then the linker's search path."""
        self._lib = _load(library)
        self._handle = self._lib.vexasrv_srx_create()
        if not self._handle:
            self._raise(E_UNEXPECTED)

    def close(self):
        """Releases the object and its index store (also done when it is collected)."""
        if getattr(self, "_handle", None):
            self._lib.vexasrv_srx_destroy(self._handle)
            self._handle = None

    def __del__(self):
        self.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def search(self, query, npage=1, isel=0, url=""):
        """The HTML fragment (str) of page `npage` of `query`; pager links go to `url`."""
        return self._text(self._lib.vexasrv_srx_search, _utf8(query), npage, isel,
                          _utf8(url)).decode("utf-8")

    def search_x(self, query, npage=1):
        """The XML document of the same search, as UTF-8 bytes with a byte-order mark."""
        return self._text(self._lib.vexasrv_srx_search_x, _utf8(query), npage)

    def indexes(self, tag=""):
        """The known indexes whose tag contains `tag`, as a list of 4-tuples (path, title,
        "" or "-" when the file is missing, tag), or None when there is none."""
        rows = ctypes.c_void_p()
        count = ctypes.c_size_t()
        self._check(self._lib.vexasrv_srx_indexes(self._handle, ctypes.byref(rows),
                                                  ctypes.byref(count), _utf8(tag)))
        if not rows.value:
            return None
        try:
            table = ctypes.cast(rows, ctypes.POINTER(_Row))
            return [tuple(field.decode("utf-8") for field in table[i]) for i in range(count.value)]
        finally:
            self._lib.vexasrv_free(rows)

    def set_index_file(self, fname):
        """Makes `fname` the index file of the next searches ("" changes nothing)."""
        self._check(self._lib.vexasrv_srx_set_index_file(self._handle, _utf8(fname)))

    def _text(self, function, *args):
        out = ctypes.c_void_p()
        self._check(function(self._handle, *args, ctypes.byref(out)))
        try:
            return ctypes.string_at(out)
        finally:
            self._lib.vexasrv_free(out)

    def _check(self, code):
        if code != 0:
            self._raise(code)

    def _raise(self, code):
        raise VexasrvError(self._lib.vexasrv_last_error().decode("utf-8", "replace"),
                           self._lib.vexasrv_last_error_source().decode("utf-8", "replace"),
                           code)
