"""A speech server for Orca that says nothing aloud. Orca writes every line
it speaks to its debug log before handing it to the server, which is all a
test reads; a machine without sound cannot start speech-dispatcher."""


class SpeechServer:
    _server = None

    @staticmethod
    def getFactoryName():
        return "null"

    @staticmethod
    def getSpeechServers():
        return [SpeechServer.getSpeechServer()]

    @staticmethod
    def getSpeechServer(info=None):
        if SpeechServer._server is None:
            SpeechServer._server = SpeechServer()
        return SpeechServer._server

    @staticmethod
    def shutdownActiveServers():
        pass

    def getInfo(self):
        return ["null", "null"]

    def __getattr__(self, name):
        # speak, stop, sayAll, reset and the rest: nothing to do.
        return lambda *args, **kwargs: None
