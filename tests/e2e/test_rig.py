"""The rig's own promises: a private network with our hosts file, and settings that go into
and come out of the prefix's registry unchanged, cleared between tests."""

import socket
import urllib.request

import rig as rig_module


def test_hosts_and_pages_answer_only_inside_the_namespace(rig):
    assert rig_module.isolated(), "the tests run with more than loopback"
    server = rig.online({"/radio": "<html><body>电台</body></html>"})
    direct = urllib.request.build_opener(urllib.request.ProxyHandler({}))
    with direct.open("http://radio.sonorin.cn/radio", timeout=5) as reply:
        assert reply.read().decode("utf-8") == "<html><body>电台</body></html>"
    assert server.requests == ["/radio"]

    rig.set_hosts([])
    try:
        socket.getaddrinfo("radio.sonorin.cn", 80)
        raise AssertionError("the portal's name still resolves without a hosts line")
    except socket.gaierror:
        pass


def test_settings_round_trip_and_are_cleared_for_the_next_test(rig):
    values = {"WaveFileName": 'C:\\录音 文件\\"一"\\a.wav', "Rate": "44100", "空": ""}
    rig.write_settings(values)
    assert rig.registry() == {"": {}, "StartUp": values}

    fresh = rig_module.Rig(rig.environment, rig.name + "-next")
    assert fresh.settings() == {}
