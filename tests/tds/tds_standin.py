#!/usr/bin/env python3
# A scripted stand-in for Microsoft SQL Server on 127.0.0.1, for the tests of the client's
# SQL Server path. SQL Server cannot run on these machines, so this small server speaks TDS 7.4
# as the protocol documentation ([MS-TDS], and [MC-SQLR] for the instance lookup) describes it;
# it is modelled on the documentation, not on a capture or on another implementation.
#
# It has no SQL engine: each statement is answered by the first scripted rule whose pattern
# matches it. The test drives it through JSON lines on stdin and reads replies on stdout; the
# first line it writes names its TCP port and its SQL Browser (UDP) port. It ends when stdin
# closes.

import json
import re
import socket
import struct
import sys
import threading
import datetime

PRELOGIN, LOGIN7, SQL_BATCH, RPC, ATTENTION, REPLY = 0x12, 0x10, 0x01, 0x03, 0x06, 0x04
TRANSACTION_MANAGER = 0x0E
# Transaction manager requests and the environment changes that answer them.
TM_REQUESTS = {5: ("begin", 8), 7: ("commit", 9), 8: ("rollback", 10)}

DONE_MORE, DONE_ERROR, DONE_COUNT, DONE_ATTN = 0x01, 0x02, 0x10, 0x20
TOKEN_DONE, TOKEN_DONEPROC, TOKEN_DONEINPROC = 0xFD, 0xFE, 0xFF

# Cyrillic_General_CI_AS: LCID 0x0419 (code page 1251), case-insensitive, accent-sensitive.
COLLATION = bytes([0x19, 0x04, 0xD0, 0x00, 0x00])

STORED_PROCEDURES = {10: "sp_executesql", 11: "sp_prepare", 12: "sp_execute", 13: "sp_prepexec",
                     15: "sp_unprepare"}

state_lock = threading.Lock()
events = []
rules = []
logins = {}
instances = {}
clients = set()
silent_login = False


def record(event):
    with state_lock:
        events.append(event)


def ucs2(text):
    return text.encode("utf-16-le")


def b_varchar(text):
    data = ucs2(text)
    return bytes([len(data) // 2]) + data


def us_varchar(text):
    data = ucs2(text)
    return struct.pack("<H", len(data) // 2) + data


# ---- reading what the client sends ----------------------------------------------------------

class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, n):
        if self.pos + n > len(self.data):
            raise ValueError("message ends early")
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def u64(self):
        return struct.unpack("<Q", self.take(8))[0]

    def text(self, chars):
        return self.take(chars * 2).decode("utf-16-le")

    def done(self):
        return self.pos >= len(self.data)


def read_message(sock):
    """One whole message (every packet up to end-of-message) as (type, payload), or None."""
    payload = b""
    kind = None
    while True:
        header = recv_exact(sock, 8)
        if header is None:
            return None
        kind, status, length = header[0], header[1], struct.unpack(">H", header[2:4])[0]
        body = recv_exact(sock, length - 8)
        if body is None:
            return None
        payload += body
        if status & 0x01:
            return kind, payload


def recv_exact(sock, n):
    data = b""
    while len(data) < n:
        try:
            chunk = sock.recv(n - len(data))
        except OSError:
            return None
        if not chunk:
            return None
        data += chunk
    return data


def decode_password(raw):
    # LOGIN7 passwords travel with each byte's nibbles swapped and then XORed with 0xA5.
    plain = bytes((((b ^ 0xA5) & 0x0F) << 4) | ((b ^ 0xA5) >> 4) for b in raw)
    return plain.decode("utf-16-le")


def parse_login(data):
    r = Reader(data)
    fields = {}
    fields["tds_version"] = "%08x" % struct.unpack(">I", data[4:8])[0]
    names = ["host", "user", "password", "app", "server", "extension", "library", "language",
             "database"]
    r.pos = 36
    places = [(r.u16(), r.u16()) for _ in names]
    for name, (offset, length) in zip(names, places):
        if name == "extension":
            continue
        raw = data[offset:offset + length * 2]
        fields[name] = decode_password(raw) if name == "password" else raw.decode("utf-16-le")
    return fields


def skip_all_headers(r):
    total = r.u32()
    r.take(total - 4)


FIXED_TYPES = {0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0x3A: 4, 0x3B: 4, 0x3C: 8, 0x3D: 8, 0x3E: 8,
               0x7A: 4, 0x7F: 8, 0x1F: 0}
BYTE_LEN_TYPES = {0x24, 0x26, 0x68, 0x6D, 0x6E, 0x6F, 0x25, 0x27, 0x2D, 0x2F}
SCALED_TYPES = {0x29, 0x2A, 0x2B}
USHORT_CHAR_TYPES = {0xA7, 0xAF, 0xE7, 0xEF}
USHORT_BINARY_TYPES = {0xA5, 0xAD}
LONG_TYPES = {0x23: True, 0x63: True, 0x22: False}  # text, ntext (with collation), image

TYPE_NAMES = {0x26: "int", 0x68: "bit", 0x6D: "float", 0x6F: "datetime", 0x28: "date",
              0x2A: "datetime2", 0xE7: "nvarchar", 0xA7: "varchar", 0xEF: "nchar", 0xAF: "char",
              0xA5: "varbinary", 0xAD: "binary", 0x63: "ntext", 0x23: "text", 0x22: "image",
              0x6A: "decimal", 0x6C: "numeric", 0x38: "int", 0x7F: "bigint", 0x3E: "float"}


def read_type_info(r):
    """The TYPE_INFO of a parameter: (type byte, description, raw bytes)."""
    start = r.pos
    t = r.u8()
    info = {"type": t}
    if t in FIXED_TYPES:
        info["size"] = FIXED_TYPES[t]
    elif t in BYTE_LEN_TYPES:
        info["size"] = r.u8()
    elif t in (0x6A, 0x6C, 0x37, 0x3F):
        info["size"], info["precision"], info["scale"] = r.u8(), r.u8(), r.u8()
    elif t == 0x28:
        pass
    elif t in SCALED_TYPES:
        info["scale"] = r.u8()
    elif t in USHORT_CHAR_TYPES:
        info["size"] = r.u16()
        r.take(5)
    elif t in USHORT_BINARY_TYPES:
        info["size"] = r.u16()
    elif t in LONG_TYPES:
        info["size"] = r.u32()
        if LONG_TYPES[t]:
            r.take(5)
    else:
        raise ValueError("type 0x%02x is not modelled" % t)
    info["raw"] = r.data[start:r.pos]
    return info


def describe(info):
    name = TYPE_NAMES.get(info["type"], "0x%02x" % info["type"])
    t = info["type"]
    if t in USHORT_CHAR_TYPES:
        size = info["size"]
        if size == 0xFFFF:
            return name + "(max)"
        return "%s(%d)" % (name, size // 2 if t in (0xE7, 0xEF) else size)
    if t in USHORT_BINARY_TYPES:
        return name + ("(max)" if info["size"] == 0xFFFF else "(%d)" % info["size"])
    if t == 0x26:
        return {1: "tinyint", 2: "smallint", 4: "int", 8: "bigint"}.get(info["size"], "int")
    if t == 0x6D:
        return "real" if info["size"] == 4 else "float"
    return name


def read_plp(r):
    total = r.u64()
    if total == 0xFFFFFFFFFFFFFFFF:
        return None
    data = b""
    while True:
        chunk = r.u32()
        if chunk == 0:
            return data
        data += r.take(chunk)


def read_value(r, info):
    t = info["type"]
    if t in FIXED_TYPES:
        raw = r.take(FIXED_TYPES[t])
        return fixed_value(t, raw)
    if t in BYTE_LEN_TYPES or t in (0x6A, 0x6C, 0x28) or t in SCALED_TYPES:
        n = r.u8()
        if n == 0:
            return None
        raw = r.take(n)
        if t == 0x26:
            return int.from_bytes(raw, "little", signed=True)
        if t == 0x68:
            return raw[0] != 0
        if t == 0x6D:
            return struct.unpack("<f" if n == 4 else "<d", raw)[0]
        if t == 0x6F:
            return fixed_value(0x3D if n == 8 else 0x3A, raw)
        if t == 0x28:
            return str(datetime.date(1, 1, 1) + datetime.timedelta(days=int.from_bytes(raw, "little")))
        if t in (0x6A, 0x6C):
            value = int.from_bytes(raw[1:], "little")
            value = value if raw[0] == 1 else -value
            return value / (10 ** info["scale"]) if info["scale"] else value
        if t == 0x2A:
            scale = info["scale"]
            time_len = {0: 3, 1: 3, 2: 3, 3: 4, 4: 4}.get(scale, 5)
            ticks = int.from_bytes(raw[:time_len], "little")
            days = int.from_bytes(raw[time_len:], "little")
            moment = datetime.datetime(1, 1, 1) + datetime.timedelta(
                days=days, microseconds=ticks * 10 ** (6 - scale) if scale <= 6 else ticks // 10)
            return moment.isoformat(sep=" ", timespec="milliseconds")
        return raw.hex()
    if t in USHORT_CHAR_TYPES or t in USHORT_BINARY_TYPES:
        if info["size"] == 0xFFFF:
            raw = read_plp(r)
        else:
            n = r.u16()
            raw = None if n == 0xFFFF else r.take(n)
        if raw is None:
            return None
        if t in (0xE7, 0xEF):
            return raw.decode("utf-16-le")
        if t in (0xA7, 0xAF):
            return raw.decode("cp1251")
        return raw.hex()
    if t in LONG_TYPES:
        n = r.u32()
        if n == 0xFFFFFFFF:
            return None
        raw = r.take(n)
        return raw.decode("utf-16-le") if t == 0x63 else raw.decode("cp1251") if t == 0x23 else raw.hex()
    raise ValueError("type 0x%02x is not modelled" % t)


def fixed_value(t, raw):
    if t in (0x30, 0x34, 0x38, 0x7F):
        return int.from_bytes(raw, "little", signed=True)
    if t == 0x32:
        return raw[0] != 0
    if t == 0x3E:
        return struct.unpack("<d", raw)[0]
    if t == 0x3B:
        return struct.unpack("<f", raw)[0]
    if t == 0x3D:
        days, ticks = struct.unpack("<iI", raw)
        moment = datetime.datetime(1900, 1, 1) + datetime.timedelta(
            days=days, milliseconds=round(ticks * 10 / 3))
        return moment.isoformat(sep=" ", timespec="milliseconds")
    if t == 0x3A:
        days, minutes = struct.unpack("<HH", raw)
        return str(datetime.datetime(1900, 1, 1) + datetime.timedelta(days=days, minutes=minutes))
    return None if t == 0x1F else raw.hex()


def parse_rpc(data):
    r = Reader(data)
    skip_all_headers(r)
    length = r.u16()
    if length == 0xFFFF:
        number = r.u16()
        name = STORED_PROCEDURES.get(number, "procedure %d" % number)
    else:
        name = r.text(length)
    r.u16()  # option flags
    params = []
    while not r.done():
        if r.data[r.pos] in (0x80, 0xFF):  # a second call batched behind the first
            break
        pname = r.text(r.u8())
        status = r.u8()
        info = read_type_info(r)
        value = read_value(r, info)
        params.append({"name": pname, "output": bool(status & 0x01), "type": describe(info),
                       "value": value, "info": info})
    return name, params


# ---- writing replies -------------------------------------------------------------------------

def done_token(token, status, count=0):
    return struct.pack("<BHHQ", token, status, 0xC1, count)


def error_token(number, message, state=1, severity=16, token=0xAA, line=1):
    body = (struct.pack("<iBB", number, state, severity) + us_varchar(message) +
            b_varchar("STANDIN") + b_varchar("") + struct.pack("<i", line))
    return struct.pack("<BH", token, len(body)) + body


def env_change(kind, new, old=""):
    if kind == 7:
        body = bytes([kind, len(new)]) + new + bytes([len(old)]) + old
    else:
        body = bytes([kind]) + b_varchar(new) + b_varchar(old)
    return struct.pack("<BH", 0xE3, len(body)) + body


def transaction_change(kind, new, old):
    body = bytes([kind, len(new)]) + new + bytes([len(old)]) + old
    return struct.pack("<BH", 0xE3, len(body)) + body


def login_ack():
    body = bytes([1]) + struct.pack(">I", 0x74000004) + b_varchar("Microsoft SQL Server") + \
        bytes([16, 0, 0x03, 0xE8])
    return struct.pack("<BH", 0xAD, len(body)) + body


class Column:
    def __init__(self, spec):
        self.name = spec["name"]
        self.kind = spec.get("type", "int")
        self.size = spec.get("size", 50)

    def type_info(self):
        k = self.kind
        if k == "int":
            return bytes([0x26, 4])
        if k == "bigint":
            return bytes([0x26, 8])
        if k == "bit":
            return bytes([0x68, 1])
        if k == "float":
            return bytes([0x6D, 8])
        if k == "datetime":
            return bytes([0x6F, 8])
        if k == "date":
            return bytes([0x28])
        if k == "nvarchar":
            return bytes([0xE7]) + struct.pack("<H", self.size * 2) + COLLATION
        if k == "varchar":
            return bytes([0xA7]) + struct.pack("<H", self.size) + COLLATION
        raise ValueError("column type %s is not modelled" % k)

    def value(self, v):
        k = self.kind
        if k in ("int", "bigint", "bit", "float", "datetime", "date"):
            if v is None:
                return b"\x00"
            if k == "int":
                return b"\x04" + struct.pack("<i", v)
            if k == "bigint":
                return b"\x08" + struct.pack("<q", v)
            if k == "bit":
                return b"\x01" + bytes([1 if v else 0])
            if k == "float":
                return b"\x08" + struct.pack("<d", v)
            if k == "date":
                days = (datetime.date.fromisoformat(v) - datetime.date(1, 1, 1)).days
                return b"\x03" + days.to_bytes(3, "little")
            moment = datetime.datetime.fromisoformat(v)
            since = moment - datetime.datetime(1900, 1, 1)
            ticks = round((since.seconds * 1000 + since.microseconds / 1000) * 3 / 10)
            return b"\x08" + struct.pack("<iI", since.days, ticks)
        if v is None:
            return b"\xff\xff"
        data = ucs2(v) if k == "nvarchar" else v.encode("cp1251")
        return struct.pack("<H", len(data)) + data


def result_set(spec):
    columns = [Column(c) for c in spec["columns"]]
    out = struct.pack("<BH", 0x81, len(columns))
    for c in columns:
        out += struct.pack("<IH", 0, 0x0009) + c.type_info() + b_varchar(c.name)
    for row in spec.get("rows", []):
        out += b"\xd1" + b"".join(c.value(v) for c, v in zip(columns, row))
    return out, len(spec.get("rows", []))


def output_value(param, value):
    """A RETURNVALUE for an output parameter, typed as the client declared it."""
    info = param["info"]
    t = info["type"]
    if value is None:
        data = b"\xff\xff" if t in USHORT_CHAR_TYPES or t in USHORT_BINARY_TYPES else b"\x00"
    elif t == 0x26:
        data = bytes([info["size"]]) + int(value).to_bytes(info["size"], "little", signed=True)
    elif t == 0x68:
        data = b"\x01" + bytes([1 if value else 0])
    elif t == 0x6D:
        data = b"\x08" + struct.pack("<d", float(value)) if info["size"] == 8 else \
            b"\x04" + struct.pack("<f", float(value))
    elif t in (0xE7, 0xEF):
        raw = ucs2(str(value))
        data = struct.pack("<H", len(raw)) + raw
    elif t in (0xA7, 0xAF):
        raw = str(value).encode("cp1251")
        data = struct.pack("<H", len(raw)) + raw
    else:
        raise ValueError("output of type 0x%02x is not modelled" % t)
    if t in USHORT_CHAR_TYPES and info["size"] == 0xFFFF:
        raise ValueError("output of a (max) type is not modelled")
    body = struct.pack("<H", 0) + b_varchar(param["name"]) + b"\x01" + struct.pack("<IH", 0, 0x0009)
    return b"\xac" + body + info["raw"] + data


# ---- one client --------------------------------------------------------------------------------

def send_message(sock, payload, kind=REPLY, packet_size=4096):
    chunks = [payload[i:i + packet_size - 8] for i in range(0, len(payload), packet_size - 8)] or [b""]
    for number, chunk in enumerate(chunks, 1):
        status = 0x01 if number == len(chunks) else 0x00
        sock.sendall(struct.pack(">BBHHBB", kind, status, len(chunk) + 8, 0, number % 256, 0) + chunk)


def prelogin_reply():
    options = [(0x00, bytes([16, 0, 0x03, 0xE8, 0, 0])),  # version 16.0.1000
               (0x01, bytes([0x02])),                    # encryption not supported
               (0x02, bytes([0x00])),                    # instance name: accepted
               (0x03, b""),
               (0x04, bytes([0x00]))]                    # no MARS
    header_size = 5 * len(options) + 1
    head, body = b"", b""
    for token, data in options:
        head += struct.pack(">BHH", token, header_size + len(body), len(data))
        body += data
    return head + b"\xff" + body


def find_rule(text):
    with state_lock:
        for rule in rules:
            if rule.get("used") or not re.search(rule["match"], text, re.IGNORECASE | re.DOTALL):
                continue
            if rule.get("once"):
                rule["used"] = True
            return rule
    return None


def answer(sock, conn, text, params, is_rpc):
    rule = find_rule(text)
    actions = rule["reply"] if rule else [{"done": True}]
    inner = TOKEN_DONEINPROC if is_rpc else TOKEN_DONE
    out = b""
    last_done = -1  # where the last DONE of the reply starts, while nothing follows it

    def add(tokens, done_status=None, count=0):
        nonlocal out, last_done
        out += tokens
        last_done = -1
        if done_status is not None:
            last_done = len(out)
            out += done_token(inner, done_status, count)

    for action in actions:
        if "drop" in action:
            if out:
                send_message(sock, out)
            raise ConnectionAbortedError("dropped by the script")
        if "hold" in action:
            # Nothing more is sent until the client gives up and sends an attention; a "deaf"
            # hold does not answer that either, as a server gone silent.
            if out:
                send_message(sock, out)
            while True:
                message = read_message(sock)
                if message is None:
                    raise ConnectionAbortedError("client left")
                if message[0] == ATTENTION:
                    record({"event": "attention", "connection": conn})
                    if action.get("deaf"):
                        continue
                    send_message(sock, done_token(TOKEN_DONE, DONE_ATTN))
                    return
        if "rows" in action:
            tokens, count = result_set(action["rows"])
            add(tokens, DONE_MORE | DONE_COUNT, count)
        if "count" in action:
            add(b"", DONE_MORE | DONE_COUNT, action["count"])
        if "done" in action:
            add(b"", DONE_MORE)
        if "error" in action:
            e = action["error"]
            add(error_token(e.get("number", 50000), e["message"], e.get("state", 1),
                            e.get("class", 16)), DONE_MORE | DONE_ERROR)
        if "info" in action:
            e = action["info"]
            add(error_token(e.get("number", 0), e["message"], 1, 0, token=0xAB))
    if is_rpc:
        # Output parameters arrive unnamed, so "outputs" gives their values in order; one without
        # a value sends back what it received.
        status = 0
        outputs = []
        for action in actions:
            status = action.get("status", status)
            outputs = action.get("outputs", outputs)
        out += b"\x79" + struct.pack("<i", status)
        for place, param in enumerate(p for p in params if p["output"]):
            out += output_value(param, outputs[place] if place < len(outputs) else param["value"])
        out += done_token(TOKEN_DONEPROC, 0)
    elif last_done >= 0:
        # The last DONE of a batch is its final one.
        status = struct.unpack("<H", out[last_done + 1:last_done + 3])[0] & ~DONE_MORE
        out = out[:last_done + 1] + struct.pack("<H", status) + out[last_done + 3:]
    else:
        out += done_token(TOKEN_DONE, 0)
    send_message(sock, out)


def serve(sock, number):
    try:
        with state_lock:
            silent = silent_login
        if silent:
            # Takes the connection and never answers it, as a host whose server hangs.
            record({"event": "silent", "connection": number})
            while read_message(sock) is not None:
                pass
            raise ConnectionAbortedError("client left")
        message = read_message(sock)
        if message is None or message[0] != PRELOGIN:
            return
        send_message(sock, prelogin_reply())
        message = read_message(sock)
        if message is None or message[0] != LOGIN7:
            return
        login = parse_login(message[1])
        login["event"] = "login"
        login["connection"] = number
        record(login)
        with state_lock:
            expected = logins.get(login["user"])
            refuse = bool(logins) and expected != login["password"]
        if refuse:
            send_message(sock, error_token(18456, "Login failed for user '%s'." % login["user"],
                                           1, 14) + done_token(TOKEN_DONE, DONE_ERROR))
            return
        send_message(sock, login_ack() + env_change(1, login.get("database") or "master", "master") +
                     env_change(7, COLLATION, b"") + env_change(4, "4096", "4096") +
                     done_token(TOKEN_DONE, 0))
        while True:
            message = read_message(sock)
            if message is None:
                return
            kind, payload = message
            if kind == SQL_BATCH:
                r = Reader(payload)
                skip_all_headers(r)
                text = r.data[r.pos:].decode("utf-16-le")
                record({"event": "batch", "sql": text, "connection": number})
                answer(sock, number, text, [], False)
            elif kind == RPC:
                name, params = parse_rpc(payload)
                event = {"event": "rpc", "proc": name, "connection": number,
                         "params": [{k: v for k, v in p.items() if k != "info"} for p in params]}
                text = name
                # sp_executesql takes the statement, its declarations and the values;
                # sp_prepexec a handle, the declarations, the statement and the values.
                places = {"sp_executesql": (0, 1, 2), "sp_prepexec": (2, 1, 3)}.get(name)
                if places and len(params) >= places[2]:
                    text = event["sql"] = params[places[0]]["value"] or ""
                    event["declarations"] = params[places[1]]["value"] or ""
                    event["params"] = event["params"][places[2]:]
                record(event)
                answer(sock, number, text, params, True)
            elif kind == ATTENTION:
                send_message(sock, done_token(TOKEN_DONE, DONE_ATTN))
            elif kind == TRANSACTION_MANAGER:
                # Only acknowledged: the stand-in keeps no data to commit or roll back.
                r = Reader(payload)
                skip_all_headers(r)
                request = r.u16()
                name, change = TM_REQUESTS.get(request, ("request %d" % request, 0))
                record({"event": "transaction", "request": name, "connection": number})
                descriptor = struct.pack("<Q", number + 1)
                reply = b""
                if change == 8:
                    reply = transaction_change(8, descriptor, b"")
                elif change:
                    reply = transaction_change(change, b"", descriptor)
                send_message(sock, reply + done_token(TOKEN_DONE, 0))
    except (ConnectionAbortedError, OSError) as error:
        record({"event": "closed", "connection": number, "why": str(error)})
    except Exception as error:  # a message the stand-in does not model: the test must see it
        record({"event": "fault", "connection": number, "why": repr(error)})
        print("stand-in fault: %r" % error, file=sys.stderr, flush=True)
    finally:
        with state_lock:
            clients.discard(sock)
        try:
            sock.close()
        except OSError:
            pass


def accept_loop(listener):
    number = 0
    while True:
        try:
            sock, _ = listener.accept()
        except OSError:
            return
        number += 1
        with state_lock:
            clients.add(sock)
        threading.Thread(target=serve, args=(sock, number), daemon=True).start()


def browser_loop(udp):
    # [MC-SQLR]: CLNT_UCAST_INST (0x04, instance name, 0x00) is answered with SVR_RESP (0x05,
    # size, "ServerName;...;tcp;port;;"); an unknown instance gets no answer at all.
    while True:
        try:
            data, peer = udp.recvfrom(1024)
        except OSError:
            return
        if not data or data[0] != 0x04:
            continue
        name = data[1:].split(b"\x00")[0].decode("latin-1")
        record({"event": "browser", "instance": name})
        with state_lock:
            port = instances.get(name.upper())
        if port is None:
            continue
        text = ("ServerName;STANDIN;InstanceName;%s;IsClustered;No;Version;16.0.1000.6;tcp;%d;;"
                % (name, port)).encode("latin-1")
        udp.sendto(bytes([0x05]) + struct.pack("<H", len(text)) + text, peer)


def drop_all():
    with state_lock:
        current = list(clients)
        clients.clear()
    for sock in current:
        try:
            sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        sock.close()
    return len(current)


def main():
    global silent_login
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind(("127.0.0.1", 0))
    threading.Thread(target=accept_loop, args=(listener,), daemon=True).start()
    threading.Thread(target=browser_loop, args=(udp,), daemon=True).start()
    port = listener.getsockname()[1]
    print(json.dumps({"port": port, "browser": udp.getsockname()[1]}), flush=True)

    for line in sys.stdin:
        command = json.loads(line)
        reply = {"ok": True}
        what = command.get("command")
        with state_lock:
            if what == "rules":
                rules[:] = command["rules"]
            elif what == "logins":
                logins.clear()
                logins.update(command["logins"])
            elif what == "instances":
                instances.clear()
                instances.update({k.upper(): (v or port) for k, v in command["instances"].items()})
            elif what == "silent":
                silent_login = bool(command["silent"])
            elif what == "events":
                reply["events"] = list(events)
            elif what == "clear":
                events.clear()
        if what == "drop":
            reply["dropped"] = drop_all()
        print(json.dumps(reply), flush=True)
    drop_all()
    listener.close()
    udp.close()


if __name__ == "__main__":
    main()
