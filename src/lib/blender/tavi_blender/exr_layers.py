"""The layers of a multilayer OpenEXR file that hold a combined pass
("ViewLayer.Combined", "Composite.Combined"), from its header's channel
list. Blender names its channels layer.pass.channel; which layers a file
has depends on the view layers rendered and on compositing, so the file
is asked rather than the scene."""
import struct

_MAGIC = 20000630
_MULTIPART = 0x1000


def _string(data, at):
    end = data.index(b"\0", at)
    return data[at:end].decode("utf-8", "replace"), end + 1


def _channel_names(chlist):
    names, at = [], 0
    while at < len(chlist) and chlist[at] != 0:
        name, at = _string(chlist, at)
        names.append(name)
        at += 16  # pixel type, pLinear and reserved, x and y sampling
    return names


def channel_names(path, header_bytes=1 << 20):
    """Every channel name of every part. Raises OSError or ValueError."""
    with open(path, "rb") as f:
        data = f.read(header_bytes)
    if len(data) < 8 or struct.unpack_from("<i", data, 0)[0] != _MAGIC:
        raise ValueError(f"{path}: not an OpenEXR file")
    multipart = struct.unpack_from("<i", data, 4)[0] & _MULTIPART
    names, at = [], 8
    try:
        while True:
            while data[at] != 0:  # one header's attributes
                attribute, at = _string(data, at)
                kind, at = _string(data, at)
                (size,) = struct.unpack_from("<i", data, at)
                at += 4
                if kind == "chlist":
                    names += _channel_names(data[at:at + size])
                at += size
            at += 1
            if not multipart or data[at] == 0:
                return names
    except (IndexError, ValueError, struct.error):
        raise ValueError(f"{path}: the OpenEXR header is damaged or too long") from None


def combined_layers(path):
    """The layers with a combined pass's red, green and blue, in file order."""
    names = channel_names(path)
    layers = []
    for name in names:
        layer, _, channel = name.rpartition(".")
        if channel == "R" and layer.rpartition(".")[2] == "Combined" and layer not in layers:
            if layer + ".G" in names and layer + ".B" in names:
                layers.append(layer)
    return layers
