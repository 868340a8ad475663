#!/usr/bin/env python3
"""A stand-in for the search engine's web server, for tests: the search form pages of both server
kinds, the default-parameters page, a page that never finishes loading, pages without the form or
without its file field, hostile servers (see MODES), and a record of every upload.

Usage: standinsearchserver.py RECORD_FOLDER
Listens on 127.0.0.1 on a free port and prints that port on its first line of output. Each upload
(a multipart POST) is recorded as upload-N.bin (the file's bytes) and upload-N.json (the path, the
other fields and the file name), the JSON written last; every page asked for is a line of pages.log.
"""
import json
import os
import urllib.parse
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

RECORD = sys.argv[1]
uploads = 0
lock = threading.Lock()

SORVEX_FORM = """<html><head><title>Sorvex search</title></head><body>
<form method="post" enctype="multipart/form-data" action="{action}">
<input type="hidden" name="SEARCH" value="{search}">
Search title <input type="text" name="COM" value="old title"><br>
{file_field}
{submit}
</form>{script}</body></html>"""
SORVEX_FILE_FIELD = 'Data file <input type="file" name="File">'
SUBMIT_BUTTON = '<input type="submit" name="submit" value="Start Search">'

# The search form's server folder (the first part of the path) names what the server does; "-PORT"
# after it names another server on 127.0.0.1, a different origin:
#   sorvex       the search form, which accepts the upload
#   nosubmit     the form without its submit button
#   textfile     the form whose "File" field is a text field
#   status500    the whole form, served with status 500
#   refused      the form, whose upload is answered with status 500
#   slowpost     the form, whose upload is answered after two minutes
#   away-PORT    the form page redirects to the form of the other server
#   actionaway-PORT  the form posts straight to the other server
#   postaway-PORT    the form's upload is redirected (307, the file posted again) to the other server
#   echo         the form, which reports the search title filled into it by asking for
#                /echo/title?TITLE (pages.log has every address decoded)
ECHO_TITLE = """<script>
setInterval(function () {
  var title = document.forms[0].elements.namedItem("COM").value;
  if (title !== "old title") fetch("/echo/title?" + encodeURIComponent(title));
}, 50);
</script>"""
PROSPECTOR_FORM = """<html><head><title>Protein Prospector</title></head><body>
<form method="post" enctype="multipart/form-data" action="/prospector/upload">
Comment <input type="text" name="comment"><br>
Upload <input type="file" name="upload_data"><br>
<input type="submit" name="submit" value="Submit">
</form></body></html>"""


def multipart_parts(body, content_type):
    """(field name, file name or None, bytes) for each part, the bytes exactly as sent."""
    boundary = content_type.split("boundary=", 1)[1].strip().strip('"').encode()
    for chunk in body.split(b"--" + boundary)[1:]:
        if chunk.startswith(b"--"):
            break
        head, _, content = chunk[2:].partition(b"\r\n\r\n")
        content = content[:-2]  # the CR LF before the next boundary
        disposition = [line for line in head.decode("utf-8").split("\r\n")
                       if line.lower().startswith("content-disposition")][0]
        params = {}
        for item in disposition.split(";")[1:]:
            key, _, value = item.strip().partition("=")
            params[key] = value.strip('"')
        yield params.get("name"), params.get("filename"), content


class Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def send_page(self, status, text):
        data = text.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        with lock:
            with open(os.path.join(RECORD, "pages.log"), "a", encoding="utf-8") as log:
                log.write(urllib.parse.unquote(self.path) + "\n")
        path, _, query = self.path.partition("?")
        search = "PMF" if "SEARCH=PMF" in query else "MIS"
        folder, _, other = path.split("/")[1].partition("-")
        form = dict(action="/%s/cgi/nph-search.pl" % path.split("/")[1], search=search,
                    file_field=SORVEX_FILE_FIELD, submit=SUBMIT_BUTTON, script="")
        if not path.endswith("/cgi/search_form.pl"):
            form = None
        elif folder == "nofile":
            form["file_field"] = ""
        elif folder == "nosubmit":
            form["submit"] = ""
        elif folder == "textfile":
            form["file_field"] = 'Data file <input type="text" name="File">'
        elif folder == "echo":
            form["script"] = ECHO_TITLE
        elif folder == "actionaway":
            form["action"] = "http://127.0.0.1:%s/sorvex/cgi/nph-search.pl" % other
        if form is not None and folder == "away":
            self.send_response(302)
            self.send_header("Location", "http://127.0.0.1:%s/sorvex/cgi/search_form.pl?%s" % (other, query))
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif form is not None and folder in ("noform", "status500"):
            self.send_page(500, SORVEX_FORM.format(**form) if folder == "status500" else
                           "<html><body><h1>Internal Server Error</h1></body></html>")
        elif form is not None and folder == "slow":
            # Starts the page and never finishes it while the test runs.
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.end_headers()
            self.wfile.write(b"<html><body>Loading")
            self.wfile.flush()
            time.sleep(120)
        elif form is not None:
            self.send_page(200, SORVEX_FORM.format(**form))
        elif path == "/sorvex/cgi/form_defaults.pl":
            self.send_page(200, "<html><body><h1>Default search parameters</h1></body></html>")
        elif path == "/prospector/form.html":
            self.send_page(200, PROSPECTOR_FORM)
        else:
            self.send_page(404, "<html><body>Not found</body></html>")

    def do_POST(self):
        global uploads
        body = self.rfile.read(int(self.headers["Content-Length"]))
        fields, file_name, data = {}, None, b""
        for name, filename, content in multipart_parts(body, self.headers["Content-Type"]):
            if filename is not None:
                file_name, data = filename, content
            else:
                fields[name] = content.decode("utf-8")
        with lock:
            uploads += 1
            stem = os.path.join(RECORD, "upload-%d" % uploads)
        with open(stem + ".bin", "wb") as out:
            out.write(data)
        record = {"path": self.path, "fields": fields, "fileName": file_name}
        with open(stem + ".json.part", "w", encoding="utf-8") as out:
            json.dump(record, out)
        os.rename(stem + ".json.part", stem + ".json")
        folder, _, other = self.path.split("/")[1].partition("-")
        if folder == "refused":
            self.send_page(500, "<html><body><h1>Internal Server Error</h1></body></html>")
        elif folder == "postaway":
            self.send_response(307)
            self.send_header("Location", "http://127.0.0.1:%s/sorvex/cgi/nph-search.pl" % other)
            self.send_header("Content-Length", "0")
            self.end_headers()
        else:
            if folder == "slowpost":
                time.sleep(120)
            self.send_page(200, "<html><body><h1>Search received</h1></body></html>")


server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
