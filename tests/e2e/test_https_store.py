"""The purchase road of test_purchase_flow over HTTPS, in the real window: a
test CA trusted in the prefix's root store, the backend serving a certificate
for localhost signed by it, and the program given https://localhost:PORT/api/v1.
It logs in, shows the versions, completes a purchase to the copied link, opens
a member's download and shows the contact picture, whose address the program
builds with the port written out. The user's Internet Settings name a dead
proxy all along: the loopback never goes through a proxy."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402
import test_purchase_flow as plain  # noqa: E402

INTERNET_SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
DEAD_PROXY = "127.0.0.1:1"


class HttpsPurchaseFlow(plain.PurchaseFlow):
    # Only the purchase road runs again, over HTTPS.
    test_coupon_purchase_refused_then_a_pending_order_resumed = None
    test_orders_pages_of_six_and_copying_numbers = None

    @classmethod
    def setUpClass(cls):
        cls.certs = tempfile.mkdtemp(prefix="orvane-certs-")
        subprocess.run([os.path.join(harness.SOURCE_DIR, "tests", "support", "make_test_certs.sh"), cls.certs],
                       check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.certs, ignore_errors=True)

    def backend(self):
        cert = os.path.join(self.certs, "localhost")
        return harness.Backend(test_mode=True, ca_file=os.path.join(self.certs, "ca.pem"),
                               extra_args=["--tls-cert", cert + ".pem", "--tls-key", cert + ".key"])

    def session(self, name, backend):
        self.assertTrue(backend.api.startswith("https://127.0.0.1:"), backend.api)
        return harness.Session("https-" + name, backend=backend.api.replace("//127.0.0.1:", "//localhost:"))

    def start(self, s):
        ca = harness.windows_path(os.path.join(self.certs, "ca.pem"))
        self.assertEqual(s.run_windows(harness.TRUST_CA, ca), 0, "the test CA is trusted")
        for name, kind, value in (("ProxyEnable", "REG_DWORD", "1"), ("ProxyServer", "REG_SZ", DEAD_PROXY)):
            self.assertEqual(s.run_windows("reg", "add", INTERNET_SETTINGS, "/v", name, "/t", kind, "/d", value, "/f"),
                             0)
        return super().start(s)


if __name__ == "__main__":
    unittest.main(verbosity=2)
