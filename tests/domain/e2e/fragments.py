"""REG fragments as the registry editor writes them, and the settings they should leave in a
policy, for the end-to-end checks and the demo."""

import codecs

EXPORT_LINE_LIMIT = 80


def hex_entry(name, marker, data):
    """One hexadecimal value as the registry editor exports it: lines of at most 80 characters,
    each but the last ending in a comma and a backslash, continuation lines indented by two
    blanks. name None is the default value."""
    line = ('"%s"=%s' % (name, marker)) if name is not None else "@=" + marker
    items = ["%02x" % byte for byte in data]
    lines = []
    for index, item in enumerate(items):
        piece = item + ("," if index < len(items) - 1 else "")
        if len(line) + len(piece) > EXPORT_LINE_LIMIT - 2:
            lines.append(line + "\\")
            line = "  "
        line += piece
    lines.append(line)
    return "\n".join(lines)


def utf16(text):
    return text.encode("utf-16-le")


def multi_string(strings):
    return utf16("".join(s + "\0" for s in strings) + "\0")


def expand_string(text):
    return utf16(text + "\0")


def encode_fragment(text, encoding):
    """The fragment's bytes with the registry editor's CRLF line ends: "utf-16" is its Unicode
    export (little-endian with a byte-order mark), anything else an 8-bit code page."""
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    if encoding == "utf-16":
        return codecs.BOM_UTF16_LE + text.encode("utf-16-le")
    return text.encode(encoding)


MACHINE_KEY = r"Software\Policies\Regweave\Settings"
USER_KEY = r"Software\Policies\Regweave\Settings"

SIGNATURE = bytes(range(200))
CACHE_FOLDER = "%ProgramData%\\Regweave\\Café"
SERVERS = ["alpha.example.test", "beta.example.test", "gamma-策略"]
WALLPAPER = "%USERPROFILE%\\Pictures\\wall.jpg"
RECENT = ["one", "two", "three"]

# A Unicode export holding both roots: every value syntax, a value spread over many lines, the
# default value, a key without values, a key created and deleted again, a deletion refused
# because the key has a subkey, a deletion of a key that is not there and a value deletion,
# which leaves the record that deletes the value on clients.
EXPORT = "\n".join([
    "Windows Registry Editor Version 5.00",
    "",
    r"[HKEY_LOCAL_MACHINE\Software\Policies\Regweave\Settings]",
    '@="machine default"',
    '"Message"="Grüße aus der Maschine, 策略 (a=b)"',
    '"Retries"=dword:0000002a',
    hex_entry("Signature", "hex:", SIGNATURE),
    hex_entry("CacheFolder", "hex(2):", expand_string(CACHE_FOLDER)),
    hex_entry("Servers", "hex(7):", multi_string(SERVERS)),
    '"Quota"=hex(b):00,00,00,40,01,00,00,00',
    '"Obsolete"=-',
    "",
    r"[HKEY_LOCAL_MACHINE\Software\Policies\Regweave\Settings\Empty]",
    "",
    r"[HKEY_LOCAL_MACHINE\Software\Policies\Regweave\Temporary]",
    '"Scratch"="gone before the save"',
    "",
    r"[-HKEY_LOCAL_MACHINE\Software\Policies\Regweave\Temporary]",
    "",
    r"[HKEY_LOCAL_MACHINE\Software\Policies\Regweave\Parent\Child]",
    '"Kept"=dword:00000001',
    "",
    r"[-HKEY_LOCAL_MACHINE\Software\Policies\Regweave\Parent]",
    "",
    r"[HKEY_CURRENT_USER\Software\Policies\Regweave\Settings]",
    '@="user default"',
    '"Message"="Hello, user"',
    '"Retries"=dword:00000007',
    hex_entry("Wallpaper", "hex(2):", expand_string(WALLPAPER)),
    hex_entry("Recent", "hex(7):", multi_string(RECENT)),
    '"Token"=hex:01,02,03',
    '"Limit"=hex(b):ff,ff,ff,ff,ff,ff,ff,7f',
    "",
    r"[-HKEY_CURRENT_USER\Software\Policies\Regweave\Missing]",
    "",
])

# In the order Registry.pol holds them: keys depth first, subkeys by name without regard to case,
# a key's values (in the order they were created) before its subkeys.
EXPORT_MACHINE_ENTRIES = [
    (r"Software\Policies\Regweave\Parent\Child", "Kept", 4, 1),
    (MACHINE_KEY, "", 1, "machine default"),
    (MACHINE_KEY, "Message", 1, "Grüße aus der Maschine, 策略 (a=b)"),
    (MACHINE_KEY, "Retries", 4, 42),
    (MACHINE_KEY, "Signature", 3, SIGNATURE),
    (MACHINE_KEY, "CacheFolder", 2, CACHE_FOLDER),
    (MACHINE_KEY, "Servers", 7, SERVERS),
    (MACHINE_KEY, "Quota", 11, 0x140000000),
    (MACHINE_KEY, "**del.Obsolete", 1, " "),
    (MACHINE_KEY + r"\Empty", "", 0, None),
]

EXPORT_MACHINE_MESSAGES = "Error 5, unable to delete key: Software\\Policies\\Regweave\\Parent\n"

EXPORT_USER_ENTRIES = [
    (USER_KEY, "", 1, "user default"),
    (USER_KEY, "Message", 1, "Hello, user"),
    (USER_KEY, "Retries", 4, 7),
    (USER_KEY, "Wallpaper", 2, WALLPAPER),
    (USER_KEY, "Recent", 7, RECENT),
    (USER_KEY, "Token", 3, b"\x01\x02\x03"),
    (USER_KEY, "Limit", 11, 0x7FFFFFFFFFFFFFFF),
]

EXPORT_USER_MESSAGES = "Error 2, unable to delete key: Software\\Policies\\Regweave\\Missing\n"


def single_value_fragment(root, key, name, value):
    return "\n".join(["Windows Registry Editor Version 5.00", "",
                      "[%s\\%s]" % (root, key), '"%s"="%s"' % (name, value), ""])


PUBLISHED_KEY = r"Software\Policies\Regweave\Published"
SHELL_KEY = r"Software\Classes\*\shell"
DESCRIPTION = "图像格式 AVIF"
DESCRIPTION_MARK = "<description>"

# Lines as published .reg files hold them: comments after values, a root that only begins like
# HKEY_CURRENT_USER, two context-menu keys whose Chinese names CP1252 lacks (read as "??", they
# would be one key) and a description in GBK, the code page its author wrote it in.
PUBLISHED = "\n".join([
    "Windows Registry Editor Version 5.00",
    "",
    "[HKEY_CURRENT_USER\\%s]" % PUBLISHED_KEY,
    '"SmartScreenEnabled"="Off" ; Windows 10 10240 and later',
    '"Flags"=hex:03,00,00,00 ;db 3,6,9',
    '"Separator"="a;b"',
    '"Desc"="%s"' % DESCRIPTION_MARK,
    '"After"=dword:00000001',
    "",
    "[HKEY_CURRENT_USER_LOCAL_SETTINGS\\%s]" % PUBLISHED_KEY,
    '"Elsewhere"="another root"',
    "",
    "[HKEY_CURRENT_USER\\%s\\打开]" % SHELL_KEY,
    '@="Open"',
    "",
    "[HKEY_CURRENT_USER\\%s\\编辑]" % SHELL_KEY,
    '@="Edit"',
    "",
])


def published_fragment(encoding):
    """PUBLISHED as a Unicode export ("utf-16"), or in an 8-bit code page with the description's
    bytes in GBK."""
    if encoding == "utf-16":
        return encode_fragment(PUBLISHED.replace(DESCRIPTION_MARK, DESCRIPTION), encoding)
    before, after = PUBLISHED.split(DESCRIPTION_MARK)
    return (encode_fragment(before, encoding) + DESCRIPTION.encode("gbk") +
            encode_fragment(after, encoding))


PUBLISHED_ENTRIES = [
    (SHELL_KEY + "\\打开", "", 1, "Open"),
    (SHELL_KEY + "\\编辑", "", 1, "Edit"),
    (PUBLISHED_KEY, "SmartScreenEnabled", 1, "Off"),
    (PUBLISHED_KEY, "Flags", 3, b"\x03\x00\x00\x00"),
    (PUBLISHED_KEY, "Separator", 1, "a;b"),
    (PUBLISHED_KEY, "After", 4, 1),
]
