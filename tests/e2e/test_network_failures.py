"""The installer's network prompt with the real window and real servers: the
storage goes away halfway through a download and the retry resumes where the
partial package ends; a storage that refuses every connection while the API
answers ends in the network prompt after the download's attempts run out."""

import os
import subprocess

import harness
from failure_prompts import (answer, park_pointer, follows, open_installer, large_package, press_install,
                             prompt, served_version, service, temp_package)
from harness import check, wait_for
from installer_state import INSTALL_DIR, clean_install_state, log_lines, message_boxes, sha256

NETWORK_PROMPT_LOG = "Failed to open URL with Range header."
SERVERS = harness.SOURCE_DIR / "tools" / "service.d" / "servers.py"


def partial_size():
    path = temp_package()
    return path.stat().st_size if path.exists() else 0


def test_a_download_cut_off_halfway_resumes_on_retry():
    clean_install_state()
    installer = None
    package = large_package(64)  # about 32 MiB
    try:
        # "-slow" versions come at 4 MiB/s: the storage can be stopped halfway.
        with served_version("e2e-resume-slow", package) as stored:
            installer, window = open_installer(harness.workdir("network_resume"))
            press_install(installer, window)
            wait_for(lambda: partial_size() >= 4 * 1024 * 1024, 60,
                     "the download never reached 4 MiB of the package")
            service("storage-stop")
            box = prompt(installer, 90, "the storage gone halfway through the download")
            harness.screenshot("failure_range_open_failed")
            wait_for(lambda: NETWORK_PROMPT_LOG in log_lines(installer), 10,
                     f"setup.log does not say {NETWORK_PROMPT_LOG!r} while the network prompt shows")
            partial = partial_size()
            check(0 < partial < len(package), f"the partial package is {partial} of {len(package)} bytes")

            service("storage-start")
            before_retry = len(log_lines(installer))
            answer(box, "yes")
            press_install(installer, window)

            def done():
                check(installer.running(), "the installer ended during the resumed download")
                check(not message_boxes(), "a prompt came up during the resumed download")
                return "DownloadAndUnzipFile done" in log_lines(installer)
            wait_for(done, 120, "the resumed install did not finish within 120 s")
            resumed = log_lines(installer)[before_retry:]
            check(follows(resumed, "downloadedBytes", str(partial)),
                  "the second install did not start from the partial package")
            check(follows(resumed, "rangeHeader", f"Range: bytes={partial}-"),
                  f"the second install did not ask for the rest from byte {partial}")
            check(sha256(temp_package()) == sha256(stored[0]),
                  "the resumed package differs from the stored one")
            wait_for(lambda: (INSTALL_DIR / "data" / "bulk" / "part64.bin").exists(), 30,
                     "the resumed package was not installed")
    finally:
        if installer:
            installer.kill()
        park_pointer()
        service("storage-start")
        clean_install_state()


def test_a_storage_that_refuses_every_connection():
    """In a network namespace of its own the API answers (a second copy of
    the service's servers) but nothing listens on the storage's port."""
    folder = harness.workdir("network_refused")
    service_dir = folder / "service"
    (service_dir / "api").mkdir(parents=True)
    (service_dir / "api" / "version").write_text("1.2.3\n")
    with harness.Network("url") as network:
        certs = network.prefix.parent / "certs"
        port_base = int(os.environ["ORVANE_PORT_BASE"])
        servers = subprocess.Popen(network.wrap([
            "python3", str(SERVERS), "--service-dir", str(service_dir),
            "--cert", str(certs / "server.pem"), "--key", str(certs / "server.key"),
            "--api-port", os.environ["ORVANE_API_PORT"], "--fault-port", os.environ["ORVANE_FAULT_PORT"],
            "--dead-port", os.environ["ORVANE_DEAD_PORT"], "--proxy-port", str(port_base + 47)]),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        installer = None
        try:
            wait_for(lambda: (service_dir / "servers.ready").exists(), 20,
                     "the API did not start inside the network namespace")
            installer, window = open_installer(folder, network=network)
            check(follows(log_lines(installer), "new Version:", "1.2.3"),
                  "the installer did not get the version from the API in the namespace")
            press_install(installer, window)
            # 60 attempts two seconds apart.
            box = prompt(installer, 240, "a storage that refuses every connection")
            harness.screenshot("failure_open_url_failed")
            lines = log_lines(installer)
            check(lines.count("Failed to open URL.") == 60,
                  f"the download tried {lines.count('Failed to open URL.')} times, not 60")
            wait_for(lambda: "未知" in log_lines(installer), 10, "setup.log does not end the attempts with 未知")
            answer(box, "no")
            code = installer.wait(30)
            check(code == 1, f"退出 on the network prompt ended the installer with {code}, not 1")
        finally:
            if installer:
                installer.kill()
            servers.kill()
            servers.wait()


if __name__ == "__main__":
    harness.main([
        test_a_download_cut_off_halfway_resumes_on_retry,
        test_a_storage_that_refuses_every_connection,
    ])
