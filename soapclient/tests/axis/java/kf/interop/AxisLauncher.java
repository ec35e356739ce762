package kf.interop;

import java.io.File;
import java.io.FileOutputStream;
import java.io.InputStream;
import java.io.OutputStreamWriter;
import java.io.Writer;
import java.net.HttpURLConnection;
import java.net.InetAddress;
import java.net.ServerSocket;
import java.net.URL;
import java.nio.charset.StandardCharsets;
import org.apache.axis.configuration.FileProvider;
import org.apache.axis.transport.http.SimpleAxisServer;

/**
 * Runs the standalone Axis server on a free loopback port with the services of a WSDD file:
 *   AxisLauncher WSDD PORTFILE [PROBE-SERVICE]
 * The port is written to PORTFILE ("-": nowhere) once the probe service answers its WSDL,
 * so whoever waits for the file finds a deployed, answering server. The server stops when
 * standard input ends, so a JVM never outlives the process that started it.
 */
public final class AxisLauncher {
    public static void main(String[] args) throws Exception {
        if (args.length < 2) {
            System.err.println("usage: AxisLauncher WSDD PORTFILE [PROBE-SERVICE]");
            System.exit(2);
        }
        SimpleAxisServer server = new SimpleAxisServer(4);
        server.setMyConfig(new FileProvider(args[0]));
        server.setServerSocket(new ServerSocket(0, 50, InetAddress.getByName("127.0.0.1")));
        server.start(true);
        int port = server.getServerSocket().getLocalPort();

        if (args.length > 2) {
            URL probe = new URL("http://127.0.0.1:" + port + "/axis/services/" + args[2] + "?wsdl");
            HttpURLConnection c = (HttpURLConnection) probe.openConnection();
            c.setConnectTimeout(30000);
            c.setReadTimeout(60000);
            int status = c.getResponseCode();
            try (InputStream in = status < 400 ? c.getInputStream() : c.getErrorStream()) {
                if (in != null) while (in.read() >= 0) {}
            }
            if (status != 200) {
                System.err.println("the probe service answered HTTP " + status);
                System.exit(1);
            }
        }

        if (!args[1].equals("-")) writePort(args[1], port);
        System.out.println("Axis serving on http://127.0.0.1:" + port + "/axis/services/");
        System.out.flush();

        while (System.in.read() >= 0) {}
        server.stop();
        System.exit(0);
    }

    // Renamed into place, so that a reader never sees a partial number.
    private static void writePort(String path, int port) throws Exception {
        File done = new File(path);
        File partial = new File(path + ".partial");
        try (Writer w = new OutputStreamWriter(new FileOutputStream(partial), StandardCharsets.US_ASCII)) {
            w.write(port + "\n");
        }
        if (!partial.renameTo(done)) {
            System.err.println("cannot write " + done);
            System.exit(1);
        }
    }
}
