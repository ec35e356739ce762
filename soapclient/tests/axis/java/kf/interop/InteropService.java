package kf.interop;

import java.math.BigDecimal;
import java.util.Date;
import javax.xml.namespace.QName;
import org.apache.axis.AxisFault;
import org.apache.axis.types.HexBinary;

/**
 * The interop "Round 2 base" echo operations, served rpc/encoded. Each answers its argument
 * unchanged, so a client sees its own marshalling in both directions.
 */
public class InteropService {
    public String echoString(String inputString) { return inputString; }
    public String[] echoStringArray(String[] inputStringArray) { return inputStringArray; }
    public int echoInteger(int inputInteger) { return inputInteger; }
    public int[] echoIntegerArray(int[] inputIntegerArray) { return inputIntegerArray; }
    public float echoFloat(float inputFloat) { return inputFloat; }
    public float[] echoFloatArray(float[] inputFloatArray) { return inputFloatArray; }
    public SOAPStruct echoStruct(SOAPStruct inputStruct) { return inputStruct; }
    public SOAPStruct[] echoStructArray(SOAPStruct[] inputStructArray) { return inputStructArray; }
    public void echoVoid() {}
    public byte[] echoBase64(byte[] inputBase64) { return inputBase64; }
    public Date echoDate(Date inputDate) { return inputDate; }
    public HexBinary echoHexBinary(HexBinary inputHexBinary) { return inputHexBinary; }
    public BigDecimal echoDecimal(BigDecimal inputDecimal) { return inputDecimal; }
    public boolean echoBoolean(boolean inputBoolean) { return inputBoolean; }

    /** Always fails: a fault with a code of the service's own, the given text and one detail. */
    public String rejectString(String inputString) throws AxisFault {
        AxisFault fault = new AxisFault(new QName("http://soapinterop.org/", "Client.Rejected"),
                                        "Rejected: " + inputString, null, null);
        // Only our detail: no stack trace or host name, which differ from run to run.
        fault.clearFaultDetails();
        fault.addFaultDetail(new QName("http://soapinterop.org/", "reason"),
                             "inputString was " + inputString.length() + " characters long");
        throw fault;
    }
}
