"""PNG rendering: payment QR codes and the customer-service contact card."""

import io
import os

import qrcode
from PIL import Image, ImageDraw, ImageFont

QR_BOX = 6
QR_BORDER = 4

# Debian's CJK fonts, first found wins; the caption falls back to ASCII without one.
CJK_FONTS = (
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
)


def _qr_image(text):
    qr = qrcode.QRCode(error_correction=qrcode.constants.ERROR_CORRECT_M,
                       box_size=QR_BOX, border=QR_BORDER)
    qr.add_data(text)
    qr.make(fit=True)
    return qr.make_image(fill_color="black", back_color="white").get_image()


def _png(image):
    buf = io.BytesIO()
    image.save(buf, format="PNG")
    return buf.getvalue()


def qr_png(text):
    """A black-on-white 1-bit QR code of `text`, with a four-module quiet zone."""
    return _png(_qr_image(text))


def support_card_png(qq_number):
    """A QR code of the QQ chat link for `qq_number` with a caption under it."""
    link = "https://wpa.qq.com/msgrd?v=3&uin=%s&site=qq&menu=yes" % qq_number
    code = _qr_image(link).convert("RGB")
    font_path = next((p for p in CJK_FONTS if os.path.exists(p)), None)
    if font_path:
        font = ImageFont.truetype(font_path, 18)
        caption = "客服QQ：%s" % qq_number
    else:
        font = ImageFont.load_default()
        caption = "QQ: %s" % qq_number
    caption_height = 36
    card = Image.new("RGB", (code.width, code.height + caption_height), "white")
    card.paste(code, (0, 0))
    draw = ImageDraw.Draw(card)
    left, top, right, bottom = draw.textbbox((0, 0), caption, font=font)
    x = (card.width - (right - left)) // 2 - left
    y = code.height + (caption_height - (bottom - top)) // 2 - top
    draw.text((x, y), caption, fill="black", font=font)
    return _png(card)
