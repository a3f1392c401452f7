"""The user's system proxy with the real installer and a real proxy
(tinyproxy) named in the Wine prefix's Internet settings: the version
question and the package both go through it, and a proxy that wants
credentials nobody gave ends in the network prompt at once, not after sixty
silent attempts."""

from failure_prompts import exit_from, expect_failure, finish_install, open_installer
from harness import check
from installer_state import log_lines
from system_proxy import API_PORT, STORAGE_PORT, system_proxy
from window_view import press_install


def test_the_whole_install_goes_through_the_system_proxy(prefix, installers):
    with system_proxy("proxy_install") as proxy:
        installer, view = open_installer(installers, "proxy_install")
        press_install(installer, view)
        finish_install(installer, "the install through the system proxy")
        tunnels = proxy.tunnels()
        check(f"localhost:{API_PORT}" in tunnels, f"the version question did not go through the proxy: {tunnels}")
        check(f"localhost:{STORAGE_PORT}" in tunnels, f"the package did not come through the proxy: {tunnels}")


def test_a_proxy_that_wants_credentials_ends_in_the_network_prompt(prefix, installers):
    # The test API host (127.0.0.1, --test) goes direct, as a bypass list
    # lets it: the version comes, and the package has to pass the proxy.
    with system_proxy("proxy_credentials", credentials=("orvane", "s3cret"), bypass="127.0.0.1") as proxy:
        installer, view = open_installer(installers, "proxy_credentials", args=["--test"])
        check(f"localhost:{API_PORT}" not in proxy.tunnels(), "the bypassed API host went through the proxy")
        press_install(installer, view)
        box = expect_failure(installer, "The proxy asks for credentials.", "a proxy that wants credentials",
                             "proxy_credentials", timeout=30)
        lines = log_lines(installer)
        check("Failed to open URL." not in lines, "the download kept asking a proxy that wants credentials")
        check(f"localhost:{STORAGE_PORT}" in proxy.tunnels(), "the download never asked the proxy")
        exit_from(installer, box)
