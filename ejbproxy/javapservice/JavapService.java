import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.OutputStream;
import java.io.PrintWriter;
import java.io.StringWriter;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.Optional;
import java.util.spi.ToolProvider;

/**
 * Describes classes with the JDK's javap inside one JVM, so that a generation run pays the
 * JVM start-up once instead of once per class.
 *
 * Arguments: the options to put before each class name (for instance -s -public -classpath P).
 * Requests on standard input: one class name per line (UTF-8). For each, the answer on
 * standard output is a line "exit-status output-length error-length" followed by the output
 * bytes and the error bytes, encoded as a javap process would have written them.
 * The service ends at the end of its input.
 */
public final class JavapService {
    private JavapService() {}

    public static void main(String[] args) throws IOException {
        Optional<ToolProvider> javap = ToolProvider.findFirst("javap");
        if (javap.isEmpty()) {
            System.err.println("javap tool not available in this JVM");
            System.exit(2);
        }
        Charset encoding = Charset.defaultCharset();
        BufferedReader requests =
                new BufferedReader(new InputStreamReader(System.in, StandardCharsets.UTF_8));
        OutputStream answers = System.out;
        String className;
        while ((className = requests.readLine()) != null) {
            List<String> arguments = new ArrayList<>(List.of(args));
            arguments.add(className);
            StringWriter out = new StringWriter();
            StringWriter err = new StringWriter();
            int status;
            try (PrintWriter outWriter = new PrintWriter(out); PrintWriter errWriter = new PrintWriter(err)) {
                status = javap.get().run(outWriter, errWriter, arguments.toArray(new String[0]));
            } catch (RuntimeException | Error e) {
                // A crash of the tool fails this class only, like a javap process would.
                status = 1;
                err.write(e.toString() + System.lineSeparator());
            }
            byte[] outBytes = out.toString().getBytes(encoding);
            byte[] errBytes = err.toString().getBytes(encoding);
            String header = status + " " + outBytes.length + " " + errBytes.length + "\n";
            answers.write(header.getBytes(StandardCharsets.US_ASCII));
            answers.write(outBytes);
            answers.write(errBytes);
            answers.flush();
        }
    }
}
